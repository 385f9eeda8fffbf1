// What both player pages ask of Ruffle: its files from the program, no
// network, no menus, overlays or splash screen. Each page adds its own.
function configureRuffle(ownSettings) {
  window.RufflePlayer = window.RufflePlayer || {};
  window.RufflePlayer.config = Object.assign({
    publicPath: "quillane-player://player/ruffle/",
    polyfills: false,
    autoplay: "on",
    unmuteOverlay: "hidden",
    splashScreen: false,
    contextMenu: "off",
    showSwfDownload: false,
    warnOnUnsupportedContent: false,
    allowNetworking: "none",
    openUrlMode: "deny",
    logLevel: "error"
  }, ownSettings);
}
