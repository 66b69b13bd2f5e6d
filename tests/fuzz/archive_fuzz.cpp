// Settings archives: any bytes either load into a well-formed tree or fail cleanly, and a tree
// that loaded stores and loads again to the same bytes.

#include "settings/archive.h"
#include "settings/node.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Node node;
    ArchiveReader reader(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!node.Serialize(reader)) {
        if (!reader.Failed() || reader.ErrorOffset() < 0 ||
            reader.ErrorOffset() > static_cast<qsizetype>(size)) {
            std::abort();
        }
        return 0;
    }
    ArchiveWriter first;
    node.Serialize(first);
    Node again;
    ArchiveReader rereader(first.Bytes());
    if (!again.Serialize(rereader))
        std::abort();
    ArchiveWriter second;
    again.Serialize(second);
    if (first.Bytes() != second.Bytes())
        std::abort();
    return 0;
}
