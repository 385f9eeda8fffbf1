#pragma once

namespace quillane {

// What an install into the content store came to, as OnContentInstalled
// reports it. Each failure has its own code so that a user's report tells
// which step went wrong.
enum TInstallResult : int {
    kInstalled = 0,
    // The URL could not be fetched, or its server answered with a status other than 2xx.
    kDownloadFailed = 1,
    // The body is not a cabinet, or the cabinet (or a wink's inner cabinet) is damaged.
    kNotACabinet = 2,
    // The cabinet holds no content.xml.
    kNoManifest = 3,
    // content.xml is not well-formed, is no Messenger content package, or lists nothing.
    kBadManifest = 4,
    // A file that content.xml lists is not in the cabinet.
    kItemMissing = 5,
    // The store folder or its index could not be written.
    kStoreNotWritable = 6,
};

}  // namespace quillane
