#pragma once
// What is on a disc: the regular files of a folder (a mounted disc or any folder) or of an ISO 9660
// image (Joliet and Rock Ridge names, read through libarchive, never mounted), each with its size,
// time and XXH3-128 content hash. Read once, in order, in blocks of 1 MiB.

#include "framework/core/exceptions.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace qm {

// The source cannot be read at all, or stopped being readable part way; the message names it.
class EDiscSource : public Exception {
public:
    using Exception::Exception;
};

struct TDiscFile {
    QString path; // relative to the disc's root, '/' between folders
    qint64 size = 0;
    std::optional<qint64> modified; // seconds since 1970 UTC
    QString hash;                   // 32 lower-case hex digits; empty when the file was unreadable
    QString error;                  // why the file could not be read; empty when it was
    QByteArray content;             // the bytes, when TDiscReadOptions::keepContent asked for them
};

struct TDiscReadOptions {
    // Asked before a file's bytes are read: keep them in TDiscFile::content.
    std::function<bool(const QString& path, qint64 size)> keepContent;
    // Told after each file (files so far, bytes so far); returning false stops the reading with
    // EAbort.
    std::function<bool(qint64 files, qint64 bytes)> progress;
};

enum class TDiscSourceKind { dkFolder, dkImage };

struct TDiscSourceInfo {
    TDiscSourceKind kind = TDiscSourceKind::dkFolder;
    QString label; // the volume label, or the folder's or file's name when there is none
};

// Recognises the source and reads its label; raises EDiscSource with a message naming it when it
// is neither a folder nor an ISO 9660 image (a UDF-only image is to be mounted first).
TDiscSourceInfo InspectDiscSource(const QString& source);

// Calls `onFile` for every regular file of `source`. A file that cannot be read arrives with its
// error; a source that cannot be read at all, or breaks off, raises EDiscSource after the files
// read so far.
void ReadDiscFiles(const QString& source, const std::function<void(TDiscFile&&)>& onFile,
                   const TDiscReadOptions& options = {});

// A name as bytes (a file system's or an image's) as text: valid UTF-8 as it is, every byte that
// is not part of valid UTF-8 as "%XX" (two upper-case hex digits), so that such a name is still
// recorded, shown and found, and the same bytes always give the same text.
QString DiscNameText(std::string_view bytes);
// A time in seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ".
QString DiscTimeText(qint64 seconds);

// XXH3-128 of a stream of bytes, written as `xxhsum -H2` writes it.
class TContentHash {
public:
    TContentHash();
    ~TContentHash();
    TContentHash(const TContentHash&) = delete;
    TContentHash& operator=(const TContentHash&) = delete;
    void Add(const void* data, size_t size);
    QString Hex() const;

private:
    void* state_;
};

} // namespace qm
