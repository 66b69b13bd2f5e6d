#pragma once
// The byte layout of settings archives: little-endian, no header. A handle record is its path,
// a 32-bit "has root" and the root entry; an entry is its name, the four value fields, a child
// count and the children, depth first. Texts are stored in the Unicode string form and read in
// both string forms.

#include "settings/path.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>

class TreeEntry;

class ArchiveWriter {
  public:
    void WriteString(const QString& text);
    void WriteUInt32(uint32_t value);
    void WriteInt32(int32_t value);
    const QByteArray& Bytes() const { return bytes; }

  private:
    QByteArray bytes;
};

// Reads records from bytes in memory. The first failure is kept with its byte offset and
// reason; every read after it fails.
class ArchiveReader {
  public:
    // wholeFile: the handle record must end exactly at the end of the bytes.
    explicit ArchiveReader(QByteArrayView data, bool wholeFile = true) : data(data), wholeFile(wholeFile) {}

    bool ReadString(QString& text);
    bool ReadUInt32(uint32_t& value);
    bool ReadInt32(int32_t& value);
    // Fails at the given offset with a reason, unless an earlier failure is kept.
    bool Fail(qsizetype offset, const QString& reason);
    // For whole files: fails when bytes follow the handle record.
    bool CheckEnd();

    qsizetype Offset() const { return pos; }
    qsizetype Remaining() const { return data.size() - pos; }
    bool Failed() const { return failed; }
    qsizetype ErrorOffset() const { return errorOffset; }
    const QString& ErrorReason() const { return errorReason; }

  private:
    bool ReadBytes(void* out, qsizetype count);
    bool ReadLength(uint32_t& length, bool& unicode);

    QByteArrayView data;
    bool wholeFile;
    qsizetype pos = 0;
    bool failed = false;
    qsizetype errorOffset = -1;
    QString errorReason;
};

// A handle record read from an archive, not yet applied to a tree.
struct LoadedHandle {
    Path path;
    bool hasRoot = false;
    std::unique_ptr<TreeEntry> root;
    ~LoadedHandle();
};

void StoreHandle(ArchiveWriter& archive, const Path& path, const TreeEntry* root);
// Reads a whole handle record; false (with the reader's error) when it is damaged.
bool LoadHandle(ArchiveReader& archive, LoadedHandle& handle);
