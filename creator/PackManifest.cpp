#include "PackManifest.h"

#include "TextEncoding.h"
#include "TextFile.h"

#include <algorithm>

namespace quillane {
namespace {

const char* const kPackageNamespace = "http://messenger.msn.com/messengercontent/1.0";
const char* const kEmoticonNamespace = "http://messenger.msn.com/emoticon/1.0";
const char* const kUsertileNamespace = "http://messenger.msn.com/usertile/1.0";
const char* const kLineBreak = "\r\n";

// An attribute value as XML reads it back unchanged. A name that the
// manifest cannot carry is refused rather than written into a broken manifest.
std::string Escaped(const std::string& value) {
    if (!ManifestCanHold(value)) {
        throw EManifestError("The name \"" + value +
                             "\" holds a control character or bytes that are not UTF-8 text, which a pack cannot carry.");
    }
    std::string text;
    text.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '&': text += "&amp;"; break;
            case '<': text += "&lt;"; break;
            case '>': text += "&gt;"; break;
            case '"': text += "&quot;"; break;
            // Written as references so that a parser does not fold them into spaces.
            case '\t': text += "&#9;"; break;
            case '\n': text += "&#10;"; break;
            case '\r': text += "&#13;"; break;
            default: text += c;
        }
    }
    return text;
}

void Attribute(std::string& line, const char* name, const std::string& value) {
    line += ' ';
    line += name;
    line += "=\"";
    line += Escaped(value);
    line += '"';
}

std::string EmoticonLine(const TPackItem& item, const std::string& file) {
    std::string line = "<item";
    Attribute(line, "xmlns:emoticon", kEmoticonNamespace);
    Attribute(line, "contentid", "Pack1");
    Attribute(line, "contenttype", "P");
    Attribute(line, "type", "emoticon");
    Attribute(line, "emoticon:namespaceprefix", "Pack1");
    Attribute(line, "mimetype", "image/gif");
    Attribute(line, "file", file);
    Attribute(line, "emoticon:displayname", item.Name);
    Attribute(line, "emoticon:keysequence", item.Key);
    return line + " />";
}

std::string DisplayPictureLine(const TPackItem& item, const std::string& file) {
    std::string line = "<item";
    Attribute(line, "xmlns:usertile", kUsertileNamespace);
    Attribute(line, "contentid", file);
    Attribute(line, "contenttype", "P");
    Attribute(line, "usertile:version", "1.0");
    Attribute(line, "type", "usertile");
    Attribute(line, "mimetype", "image/gif");
    Attribute(line, "file", file);
    Attribute(line, "usertile:default", "false");
    Attribute(line, "usertile:displayname", item.Name);
    return line + " />";
}

}  // namespace

bool ManifestCanHold(const std::string& text) {
    // Control characters other than tab, CR and LF have no form in XML 1.0 at all.
    return IsValidUtf8(text) && std::none_of(text.begin(), text.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
           });
}

std::string ManifestText(const TPackContents& contents, const TPump& pump) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";
    text += kLineBreak;
    std::string package = "<package";
    Attribute(package, "xmlns", kPackageNamespace);
    Attribute(package, "version", "1.0");
    Attribute(package, "type", "theme");
    text += package + ">" + kLineBreak;
    const std::vector<std::string> files = CabinetNames(contents);
    size_t index = 0;
    for (const TPackItem& item : contents.Emoticons) {
        text += EmoticonLine(item, files[index++]) + kLineBreak;
        pump();
    }
    for (const TPackItem& item : contents.DisplayPictures) {
        text += DisplayPictureLine(item, files[index++]) + kLineBreak;
        pump();
    }
    return text + " </package>" + kLineBreak;
}

std::string WriteManifest(const TPackContents& contents, const std::string& appPath, const TPump& pump) {
    const std::string path = appPath + "Preview/content.xml";
    if (!ReplaceFileAtomically(path, ManifestText(contents, pump))) {
        throw EManifestError("Cannot write the pack's manifest " + path + ".");
    }
    return path;
}

}  // namespace quillane
