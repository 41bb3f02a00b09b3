// Reading and writing VS_VERSIONINFO blocks.

#include "util/VersionBlock.h"

#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>

namespace pictavo {

namespace {

constexpr size_t NodeHeaderSize = 6;

size_t AlignUp4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

// One node of a block, located by offsets from the start of the block.
struct NodeView {
    size_t End = 0; // one past the node's last byte
    std::u16string Key;
    size_t ValueOffset = 0;
    size_t ValueSize = 0; // bytes, clipped to End
    bool IsText = false;
    size_t ChildrenOffset = 0;
};

// Reads the node at `offset`, which must end inside [offset, limit).
std::optional<NodeView> ReadNode(const uint8_t* block, size_t offset, size_t limit) {
    if (!RangeFits(offset, NodeHeaderSize, limit))
        return std::nullopt;
    const uint16_t length = LoadU16(block + offset);
    const uint16_t valueLength = LoadU16(block + offset + 2);
    const uint16_t type = LoadU16(block + offset + 4);
    if (length < NodeHeaderSize || !RangeFits(offset, length, limit))
        return std::nullopt;

    NodeView node;
    node.End = offset + length;
    size_t position = offset + NodeHeaderSize;
    for (;;) {
        if (position + 2 > node.End)
            return std::nullopt; // key without its terminating NUL
        const char16_t c = static_cast<char16_t>(LoadU16(block + position));
        position += 2;
        if (c == 0)
            break;
        node.Key.push_back(c);
    }

    node.IsText = type == 1;
    node.ValueOffset = AlignUp4(position);
    const size_t wanted = node.IsText ? size_t{valueLength} * 2 : valueLength;
    if (node.ValueOffset >= node.End) {
        node.ValueOffset = node.End;
        node.ValueSize = 0;
    } else {
        node.ValueSize = std::min(wanted, node.End - node.ValueOffset);
    }
    node.ChildrenOffset = std::min(AlignUp4(node.ValueOffset + wanted), node.End);
    return node;
}

bool KeysEqual(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (platform::AsciiUpper(a[i]) != platform::AsciiUpper(b[i]))
            return false;
    }
    return true;
}

std::optional<NodeView> FindChild(const uint8_t* block, const NodeView& parent,
                                  const std::u16string& key) {
    size_t position = parent.ChildrenOffset;
    while (position + NodeHeaderSize <= parent.End) {
        const std::optional<NodeView> child = ReadNode(block, position, parent.End);
        if (!child)
            return std::nullopt;
        if (KeysEqual(child->Key, key))
            return child;
        position = AlignUp4(child->End);
    }
    return std::nullopt;
}

std::vector<std::u16string> SplitPath(const std::string& path) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t stop = path.find('\\', start);
        if (stop == std::string::npos)
            stop = path.size();
        if (stop > start)
            parts.push_back(platform::Utf8ToUtf16(path.substr(start, stop - start)));
        start = stop + 1;
    }
    return parts;
}

void PadTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

VersionNode TextNode(const std::string& key, const std::string& text) {
    VersionNode node;
    node.Key = key;
    node.IsText = true;
    node.Text = text;
    return node;
}

} // namespace

std::optional<VersionValue> QueryVersionValue(const uint8_t* block, size_t size,
                                              const std::string& path) {
    if (!block)
        return std::nullopt;
    std::optional<NodeView> node = ReadNode(block, 0, size);
    for (const std::u16string& key : SplitPath(path)) {
        if (!node)
            break;
        node = FindChild(block, *node, key);
    }
    if (!node || node->ValueSize == 0)
        return std::nullopt;
    return VersionValue{block + node->ValueOffset, static_cast<uint32_t>(node->ValueSize),
                        node->IsText};
}

std::string VersionValueText(const VersionValue& value) {
    std::u16string text;
    for (uint32_t i = 0; i + 2 <= value.Size; i += 2) {
        const char16_t c = static_cast<char16_t>(LoadU16(value.Data + i));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return platform::Utf16ToUtf8(text);
}

std::optional<FixedFileInfo> ParseFixedFileInfo(const VersionValue& value) {
    if (!value.Data || value.Size < FixedFileInfoSize)
        return std::nullopt;
    const uint8_t* p = value.Data;
    FixedFileInfo info;
    info.Signature = LoadU32(p + 0);
    info.StrucVersion = LoadU32(p + 4);
    info.FileVersionMS = LoadU32(p + 8);
    info.FileVersionLS = LoadU32(p + 12);
    info.ProductVersionMS = LoadU32(p + 16);
    info.ProductVersionLS = LoadU32(p + 20);
    info.FileFlagsMask = LoadU32(p + 24);
    info.FileFlags = LoadU32(p + 28);
    info.FileOS = LoadU32(p + 32);
    info.FileType = LoadU32(p + 36);
    info.FileSubtype = LoadU32(p + 40);
    info.FileDateMS = LoadU32(p + 44);
    info.FileDateLS = LoadU32(p + 48);
    return info;
}

std::vector<uint8_t> EncodeFixedFileInfo(const FixedFileInfo& info) {
    std::vector<uint8_t> out;
    for (uint32_t field :
         {info.Signature, info.StrucVersion, info.FileVersionMS, info.FileVersionLS,
          info.ProductVersionMS, info.ProductVersionLS, info.FileFlagsMask, info.FileFlags,
          info.FileOS, info.FileType, info.FileSubtype, info.FileDateMS, info.FileDateLS})
        AppendU32(out, field);
    return out;
}

std::vector<uint8_t> EncodeVersionNode(const VersionNode& node) {
    std::vector<uint8_t> out(NodeHeaderSize, 0);
    for (char16_t c : platform::Utf8ToUtf16(node.Key))
        AppendU16(out, c);
    AppendU16(out, 0);
    PadTo4(out);

    // Container nodes (StringFileInfo, a string table) are text nodes without a value.
    size_t valueLength = 0;
    if (node.IsText && (!node.Text.empty() || node.Children.empty())) {
        const std::u16string text = platform::Utf8ToUtf16(node.Text);
        for (char16_t c : text)
            AppendU16(out, c);
        AppendU16(out, 0);
        valueLength = text.size() + 1; // characters, with the NUL
    } else if (!node.IsText) {
        out.insert(out.end(), node.Binary.begin(), node.Binary.end());
        valueLength = node.Binary.size();
    }
    for (const VersionNode& child : node.Children) {
        PadTo4(out);
        const std::vector<uint8_t> bytes = EncodeVersionNode(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (out.size() > 0xFFFF || valueLength > 0xFFFF)
        throw Exception("Version information too large");
    StoreU16(out.data(), static_cast<uint16_t>(out.size()));
    StoreU16(out.data() + 2, static_cast<uint16_t>(valueLength));
    StoreU16(out.data() + 4, node.IsText ? 1 : 0);
    return out;
}

VersionNode MakeVersionTree(const FixedFileInfo& fixed, const std::string& tableKey,
                            const std::vector<std::pair<std::string, std::string>>& strings,
                            std::optional<uint32_t> translation) {
    VersionNode table;
    table.Key = tableKey;
    table.IsText = true;
    for (const auto& [name, text] : strings)
        table.Children.push_back(TextNode(name, text));

    VersionNode stringFileInfo;
    stringFileInfo.Key = "StringFileInfo";
    stringFileInfo.IsText = true;
    stringFileInfo.Children.push_back(std::move(table));

    VersionNode root;
    root.Key = "VS_VERSION_INFO";
    root.Binary = EncodeFixedFileInfo(fixed);
    root.Children.push_back(std::move(stringFileInfo));

    if (translation) {
        VersionNode entry;
        entry.Key = "Translation";
        AppendU32(entry.Binary, *translation);
        VersionNode varFileInfo;
        varFileInfo.Key = "VarFileInfo";
        varFileInfo.IsText = true;
        varFileInfo.Children.push_back(std::move(entry));
        root.Children.push_back(std::move(varFileInfo));
    }
    return root;
}

} // namespace pictavo
