#include "settings/archive.h"

#include "settings/treeentry.h"

#include <QtEndian>

#include <cstring>
#include <vector>

namespace {

constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kUnicodeMarker = 0xFFFE;
constexpr uint16_t kLongerLength = 0xFFFF;
// The smallest possible entry record: a one-byte empty name and text, four 32-bit fields.
constexpr qsizetype kSmallestEntry = 1 + 4 + 4 + 1 + 4 + 4;

} // namespace

// ---- writing

void ArchiveWriter::WriteUInt32(uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

void ArchiveWriter::WriteInt32(int32_t value) {
    WriteUInt32(static_cast<uint32_t>(value));
}

void ArchiveWriter::WriteString(const QString& text) {
    const auto n = static_cast<uint32_t>(text.size());
    bytes.append(static_cast<char>(kLongLength));
    char marker[2];
    qToLittleEndian(kUnicodeMarker, marker);
    bytes.append(marker, 2);
    if (n < kLongLength) {
        bytes.append(static_cast<char>(n));
    } else if (n < kUnicodeMarker) {
        bytes.append(static_cast<char>(kLongLength));
        char le[2];
        qToLittleEndian(static_cast<uint16_t>(n), le);
        bytes.append(le, 2);
    } else {
        bytes.append(static_cast<char>(kLongLength));
        char le[2];
        qToLittleEndian(kLongerLength, le);
        bytes.append(le, 2);
        WriteUInt32(n);
    }
    for (const QChar c : text) {
        char le[2];
        qToLittleEndian(c.unicode(), le);
        bytes.append(le, 2);
    }
}

// ---- reading

bool ArchiveReader::Fail(qsizetype offset, const QString& reason) {
    if (!failed) {
        failed = true;
        errorOffset = offset;
        errorReason = reason;
    }
    return false;
}

bool ArchiveReader::ReadBytes(void* out, qsizetype count) {
    if (failed)
        return false;
    if (count > Remaining())
        return Fail(pos, QStringLiteral("the file ends early"));
    std::memcpy(out, data.data() + pos, static_cast<size_t>(count));
    pos += count;
    return true;
}

bool ArchiveReader::ReadUInt32(uint32_t& value) {
    uchar le[4];
    if (!ReadBytes(le, 4))
        return false;
    value = qFromLittleEndian<uint32_t>(le);
    return true;
}

bool ArchiveReader::ReadInt32(int32_t& value) {
    uint32_t raw;
    if (!ReadUInt32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

// The framework's length field: a byte below 0xFF; else 0xFF and a 16-bit length, where
// 0xFFFE marks UTF-16 characters (the length follows again) and 0xFFFF a 32-bit length.
bool ArchiveReader::ReadLength(uint32_t& length, bool& unicode) {
    unicode = false;
    for (;;) {
        uint8_t b;
        if (!ReadBytes(&b, 1))
            return false;
        if (b < kLongLength) {
            length = b;
            return true;
        }
        uchar le[2];
        if (!ReadBytes(le, 2))
            return false;
        const uint16_t w = qFromLittleEndian<uint16_t>(le);
        if (w == kUnicodeMarker && !unicode) {
            unicode = true;
            continue;
        }
        if (w < kLongerLength) {
            length = w;
            return true;
        }
        return ReadUInt32(length);
    }
}

bool ArchiveReader::ReadString(QString& text) {
    const qsizetype start = pos;
    uint32_t length;
    bool unicode;
    if (!ReadLength(length, unicode))
        return false;
    const qsizetype bytesNeeded = static_cast<qsizetype>(length) * (unicode ? 2 : 1);
    if (bytesNeeded > Remaining()) {
        return Fail(start, QStringLiteral("a text of %1 characters does not fit in the file").arg(length));
    }
    const char* chars = data.data() + pos;
    if (unicode) {
        text.resize(static_cast<qsizetype>(length));
        for (uint32_t i = 0; i < length; ++i) {
            text[i] = QChar(qFromLittleEndian<uint16_t>(chars + 2 * i));
        }
    } else {
        // Single-byte characters in the system code page, widened.
        text = QString::fromLatin1(chars, static_cast<qsizetype>(length));
    }
    pos += bytesNeeded;
    return true;
}

bool ArchiveReader::CheckEnd() {
    if (failed)
        return false;
    if (wholeFile && pos != data.size()) {
        return Fail(pos, QStringLiteral("%1 bytes follow the end of the settings").arg(Remaining()));
    }
    return true;
}

// ---- handle and entry records

namespace {

void StoreValue(ArchiveWriter& archive, const TreeEntry& entry) {
    archive.WriteString(entry.name);
    archive.WriteUInt32(entry.value.Flags());
    archive.WriteInt32(entry.value.StoredInt());
    archive.WriteString(entry.value.StoredText());
    archive.WriteUInt32(entry.value.StoredBool() ? 1 : 0);
    archive.WriteInt32(static_cast<int32_t>(entry.children.size()));
}

// Entries are stored and read with lists of their own, not by recursion: a tree of any depth
// that the settings can hold is written and read back without running out of stack.
void StoreEntry(ArchiveWriter& archive, const TreeEntry& top) {
    VisitDepthFirst(top, [&archive](const TreeEntry& entry, size_t) { StoreValue(archive, entry); });
}

// Reads one entry's name, value and child count.
bool LoadValue(ArchiveReader& archive, TreeEntry& entry, int32_t& childCount) {
    QString name;
    uint32_t flags;
    int32_t intValue;
    QString text;
    uint32_t boolValue;
    if (!archive.ReadString(name))
        return false;
    const qsizetype flagsOffset = archive.Offset();
    if (!archive.ReadUInt32(flags))
        return false;
    if (flags & ~Data::kAllBits) {
        return archive.Fail(flagsOffset, QStringLiteral("impossible value type 0x%1").arg(flags, 0, 16));
    }
    if (!archive.ReadInt32(intValue) || !archive.ReadString(text) || !archive.ReadUInt32(boolValue))
        return false;
    const qsizetype countOffset = archive.Offset();
    if (!archive.ReadInt32(childCount))
        return false;
    if (childCount > 0 && childCount > archive.Remaining() / kSmallestEntry) {
        return archive.Fail(
            countOffset,
            QStringLiteral("%1 child entries cannot fit in the rest of the file").arg(childCount));
    }
    entry.name = name;
    entry.value = Data::FromStored(flags, intValue, text, boolValue != 0);
    return true;
}

bool LoadEntry(ArchiveReader& archive, TreeEntry& top) {
    struct Open {
        TreeEntry* entry;
        int32_t childrenLeft;
    };
    std::vector<Open> open;
    TreeEntry* next = &top;
    for (;;) {
        int32_t childCount;
        if (!LoadValue(archive, *next, childCount))
            return false;
        // A negative count means no children, as in the framework.
        if (childCount > 0)
            open.push_back({next, childCount});
        while (!open.empty() && open.back().childrenLeft == 0)
            open.pop_back();
        if (open.empty())
            return true;
        --open.back().childrenLeft;
        next = open.back().entry->AppendChild(std::make_unique<TreeEntry>(QString()));
    }
}

} // namespace

LoadedHandle::~LoadedHandle() = default;

void StoreHandle(ArchiveWriter& archive, const Path& path, const TreeEntry* root) {
    archive.WriteString(path.Text());
    archive.WriteUInt32(root ? 1 : 0);
    if (root)
        StoreEntry(archive, *root);
}

bool LoadHandle(ArchiveReader& archive, LoadedHandle& handle) {
    QString path;
    uint32_t hasRoot;
    if (!archive.ReadString(path) || !archive.ReadUInt32(hasRoot))
        return false;
    std::unique_ptr<TreeEntry> root;
    if (hasRoot != 0) {
        root = std::make_unique<TreeEntry>(QString());
        if (!LoadEntry(archive, *root))
            return false;
    }
    if (!archive.CheckEnd())
        return false;
    handle.path = Path(path);
    handle.hasRoot = hasRoot != 0;
    handle.root = std::move(root);
    return true;
}
