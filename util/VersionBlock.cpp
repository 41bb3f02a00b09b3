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

// Raised inside the reader when a node does not fit where it stands; the lookup then
// answers nothing.
struct BlockDamaged {};

[[noreturn]] void RaiseBlockDamaged() {
    throw BlockDamaged{};
}

// One node of a block; offsets count from the node's start.
struct NodeView {
    explicit NodeView(const ByteView& bytes) : Bytes(bytes) {}

    ByteView Bytes; // the node's Length bytes
    std::u16string Key;
    size_t ValueOffset = 0;
    size_t ValueSize = 0; // bytes, clipped to the node
    bool IsText = false;
    size_t ChildrenOffset = 0;
};

// The node at the start of `area`, which must end inside it.
NodeView ReadNode(const ByteView& area) {
    const uint16_t length = area.U16(0);
    const uint16_t valueLength = area.U16(2);
    const uint16_t type = area.U16(4);
    if (length < NodeHeaderSize)
        RaiseBlockDamaged();

    NodeView node(area.Sub(0, length));
    size_t position = NodeHeaderSize;
    for (;;) {
        // A key without its terminating NUL runs past the node and fails here.
        const char16_t c = static_cast<char16_t>(node.Bytes.U16(position));
        position += 2;
        if (c == 0)
            break;
        node.Key.push_back(c);
    }

    node.IsText = type == 1;
    node.ValueOffset = AlignUp4(position);
    const size_t wanted = node.IsText ? size_t{valueLength} * 2 : valueLength;
    if (node.ValueOffset >= length) {
        node.ValueOffset = length;
        node.ValueSize = 0;
    } else {
        node.ValueSize = std::min(wanted, length - node.ValueOffset);
    }
    node.ChildrenOffset = std::min<size_t>(AlignUp4(node.ValueOffset + wanted), length);
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

std::optional<NodeView> FindChild(const NodeView& parent, const std::u16string& key) {
    const ByteView& bytes = parent.Bytes;
    size_t position = parent.ChildrenOffset;
    while (position + NodeHeaderSize <= bytes.Size()) {
        NodeView child = ReadNode(bytes.From(position));
        if (KeysEqual(child.Key, key))
            return child;
        position = AlignUp4(position + child.Bytes.Size());
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

// Real blocks nest four deep (root, StringFileInfo, table, string).
constexpr int MaxVersionDepth = 8;

std::string NodeText(const NodeView& node) {
    const ByteView value = node.Bytes.Sub(node.ValueOffset, node.ValueSize);
    return VersionValueText(VersionValue{value.Data(), static_cast<uint32_t>(value.Size()), true});
}

VersionNode DecodeNode(const NodeView& view, int depth) {
    if (depth > MaxVersionDepth)
        RaiseBlockDamaged();
    VersionNode node;
    node.Key = platform::Utf16ToUtf8(view.Key);
    node.IsText = view.IsText;
    if (view.IsText) {
        node.Text = NodeText(view);
    } else {
        const ByteView value = view.Bytes.Sub(view.ValueOffset, view.ValueSize);
        node.Binary.assign(value.Data(), value.Data() + value.Size());
    }
    size_t position = view.ChildrenOffset;
    while (position + NodeHeaderSize <= view.Bytes.Size()) {
        const NodeView child = ReadNode(view.Bytes.From(position));
        node.Children.push_back(DecodeNode(child, depth + 1));
        position = AlignUp4(position + child.Bytes.Size());
    }
    return node;
}

} // namespace

std::optional<VersionNode> DecodeVersionNode(const uint8_t* block, size_t size) {
    if (!block)
        return std::nullopt;
    try {
        return DecodeNode(ReadNode(ByteView(block, size, RaiseBlockDamaged)), 0);
    } catch (const BlockDamaged&) {
        return std::nullopt;
    }
}

std::optional<VersionValue> QueryVersionValue(const uint8_t* block, size_t size,
                                              const std::string& path) {
    if (!block)
        return std::nullopt;
    try {
        NodeView node = ReadNode(ByteView(block, size, RaiseBlockDamaged));
        for (const std::u16string& key : SplitPath(path)) {
            std::optional<NodeView> child = FindChild(node, key);
            if (!child)
                return std::nullopt;
            node = std::move(*child);
        }
        if (node.ValueSize == 0)
            return std::nullopt;
        return VersionValue{node.Bytes.Data() + node.ValueOffset,
                            static_cast<uint32_t>(node.ValueSize), node.IsText};
    } catch (const BlockDamaged&) {
        return std::nullopt;
    }
}

std::string VersionValueText(const VersionValue& value) {
    const ByteView bytes(value.Data, value.Size, RaiseBlockDamaged);
    std::u16string text;
    for (size_t i = 0; bytes.Holds(i, 2); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes.U16(i));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return platform::Utf16ToUtf8(text);
}

std::optional<FixedFileInfo> ParseFixedFileInfo(const VersionValue& value) {
    const ByteView p(value.Data, value.Size, RaiseBlockDamaged);
    if (!p.Holds(0, FixedFileInfoSize))
        return std::nullopt;
    FixedFileInfo info;
    info.Signature = p.U32(0);
    info.StrucVersion = p.U32(4);
    info.FileVersionMS = p.U32(8);
    info.FileVersionLS = p.U32(12);
    info.ProductVersionMS = p.U32(16);
    info.ProductVersionLS = p.U32(20);
    info.FileFlagsMask = p.U32(24);
    info.FileFlags = p.U32(28);
    info.FileOS = p.U32(32);
    info.FileType = p.U32(36);
    info.FileSubtype = p.U32(40);
    info.FileDateMS = p.U32(44);
    info.FileDateLS = p.U32(48);
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
