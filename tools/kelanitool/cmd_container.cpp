// kelanitool container: inspect, extract and pack stream containers (.gfx, .kel, hs%d.dat).
//   container list FILE [--key KEY]
//   container extract FILE NAME OUT [--key KEY]    OUT a file, or a folder to write NAME into;
//                                                  NAME "*" extracts every entry into folder OUT
//   container pack OUT FILE... [--stored] [--key KEY]
// Entry names are Windows-1252 in the container and UTF-8 on the command line and in the output.
#include "base/uCodePage.h"
#include "streams/JwStream.h"
#include "tools/kelanitool/KelaniTool.h"

#include <filesystem>
#include <iostream>

namespace kelani::tool {
namespace {

namespace fs = std::filesystem;

std::string KeyOption(const Args& args) {
    const std::string* key = FindOption(args, "--key");
    return key ? Utf8ToCp1252(*key) : std::string();
}

TJwStreams Open(const std::string& file, const Args& args) {
    TJwStreams container;
    container.SetKey(KeyOption(args));
    container.LoadFromFile(file);
    return container;
}

std::string Bool(bool value) {
    return value ? "true" : "false";
}

int List(const Args& args) {
    const Args words = Positionals(args);
    if (words.size() != 2) throw UsageError("usage: container list FILE [--key KEY]");
    const TJwStreams c = Open(words[1], args);
    std::cout << "{\"file\":" << JsonString(words[1]) << ",\"compressed\":" << Bool(c.Compressed())
              << ",\"encrypted\":" << Bool(c.Encrypted()) << ",\"entries\":" << c.Count() << "}\n";
    for (int i = 0; i < c.Count(); ++i)
        std::cout << "{\"name\":" << JsonString(Cp1252ToUtf8(c.Names(i)))
                  << ",\"size\":" << c.Streams(i).Bytes().size() << "}\n";
    return 0;
}

// An entry name as a file name inside a folder: no separators, no "." or "..", nothing empty.
fs::path SafeFileName(const std::string& utf8Name) {
    if (utf8Name.empty() || utf8Name == "." || utf8Name == ".." ||
        utf8Name.find_first_of("/\\") != std::string::npos || utf8Name.find('\0') != std::string::npos)
        throw std::runtime_error("entry name " + JsonString(utf8Name) + " cannot be used as a file name");
    return fs::path(utf8Name);
}

void ExtractOne(const TJwStreams& c, int index, const fs::path& out) {
    SaveFileAtomically(out, c.Streams(index));
    std::cout << "{\"extracted\":" << JsonString(Cp1252ToUtf8(c.Names(index)))
              << ",\"to\":" << JsonString(out.string()) << ",\"size\":" << c.Streams(index).Bytes().size()
              << "}\n";
}

int Extract(const Args& args) {
    const Args words = Positionals(args);
    if (words.size() != 4) throw UsageError("usage: container extract FILE NAME OUT [--key KEY]");
    const TJwStreams c = Open(words[1], args);
    const fs::path out = words[3];
    if (words[2] == "*") {
        fs::create_directories(out);
        for (int i = 0; i < c.Count(); ++i) ExtractOne(c, i, out / SafeFileName(Cp1252ToUtf8(c.Names(i))));
        return 0;
    }
    const std::string name = Utf8ToCp1252(words[2]);
    for (int i = 0; i < c.Count(); ++i) {
        if (CompareEntryNames(c.Names(i), name) != 0) continue;
        ExtractOne(c, i, fs::is_directory(out) ? out / SafeFileName(Cp1252ToUtf8(c.Names(i))) : out);
        return 0;
    }
    throw std::runtime_error("no entry " + JsonString(words[2]) + " in " + words[1]);
}

int Pack(const Args& args) {
    const Args words = Positionals(args, {"--stored"});
    if (words.size() < 2) throw UsageError("usage: container pack OUT FILE... [--stored] [--key KEY]");
    TJwStreams c;
    c.SetCompressed(!HasFlag(args, "--stored"));
    c.SetKey(KeyOption(args));
    c.SetEncrypted(!c.Key().empty());
    for (std::size_t i = 2; i < words.size(); ++i) {
        TMemoryStream data;
        data.LoadFromFile(words[i]);
        const std::string fileName = fs::path(words[i]).filename().string();
        const int before = c.Count();
        c.AddStream(Utf8ToCp1252(fileName), data);
        if (c.Count() == before) throw std::runtime_error("two files named " + JsonString(fileName));
    }
    TMemoryStream image;
    c.SaveToStream(image);
    SaveFileAtomically(words[1], image);
    std::cout << "{\"packed\":" << JsonString(words[1]) << ",\"entries\":" << c.Count()
              << ",\"compressed\":" << Bool(c.Compressed()) << ",\"encrypted\":" << Bool(c.Encrypted())
              << ",\"size\":" << image.Bytes().size() << "}\n";
    return 0;
}

int Run(const Args& args) {
    const std::string sub = args.empty() ? "" : args[0];
    if (sub == "list") return List(args);
    if (sub == "extract") return Extract(args);
    if (sub == "pack") return Pack(args);
    throw UsageError("container list | extract | pack (see the usage lines of each)");
}

const bool registered = RegisterCommand({"container", "list, extract or pack a stream container", Run});

} // namespace
} // namespace kelani::tool
