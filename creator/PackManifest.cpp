#include "PackManifest.h"

#include "TextFile.h"

namespace quillane {
namespace {

const char* const kPackageNamespace = "http://messenger.msn.com/messengercontent/1.0";
const char* const kEmoticonNamespace = "http://messenger.msn.com/emoticon/1.0";
const char* const kUsertileNamespace = "http://messenger.msn.com/usertile/1.0";
const char* const kLineBreak = "\r\n";

// An attribute value as XML reads it back unchanged. Control characters
// other than tab, CR and LF have no form in XML 1.0 at all, so a name that
// holds one is refused rather than written into a broken manifest.
std::string Escaped(const std::string& value) {
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
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    throw EManifestError("The name \"" + value + "\" holds a control character that a pack cannot carry.");
                }
                text += c;
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

std::string EmoticonLine(const TPackItem& item) {
    const std::string file = FileNameOf(item.FullPath);
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

std::string DisplayPictureLine(const TPackItem& item) {
    const std::string file = FileNameOf(item.FullPath);
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

std::string ManifestText(const TPackContents& contents, const TPump& pump) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";
    text += kLineBreak;
    std::string package = "<package";
    Attribute(package, "xmlns", kPackageNamespace);
    Attribute(package, "version", "1.0");
    Attribute(package, "type", "theme");
    text += package + ">" + kLineBreak;
    for (const TPackItem& item : contents.Emoticons) {
        text += EmoticonLine(item) + kLineBreak;
        pump();
    }
    for (const TPackItem& item : contents.DisplayPictures) {
        text += DisplayPictureLine(item) + kLineBreak;
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
