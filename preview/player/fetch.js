// The web engine's fetch() does not reach the program's own scheme, but
// XMLHttpRequest does: route the player's fetches for its files and the
// movie through it.
const fetchFromNetwork = window.fetch.bind(window);
window.fetch = function (input, init) {
  const url = String(typeof input === "string" || input instanceof URL ? input : input.url);
  if (!url.startsWith("quillane-player:")) return fetchFromNetwork(input, init);
  return new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open("GET", url);
    request.responseType = "arraybuffer";
    request.onload = () => resolve(new Response(request.response, {
      status: request.status || 200,
      headers: { "Content-Type": request.getResponseHeader("Content-Type") || "application/octet-stream" }
    }));
    request.onerror = () => reject(new TypeError("Failed to fetch " + url));
    request.send();
  });
};
