#include "discs/disc_reading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <xxhash.h>

namespace qm {

namespace {

// Reads of at least this size keep a real drive streaming.
constexpr size_t kBlockSize = size_t{1} << 20;
constexpr qint64 kSectorSize = 2048;
// Volume descriptors start at sector 16; a UDF volume recognition sequence lies there as well.
constexpr qint64 kDescriptorsStart = 16 * kSectorSize;
constexpr int kDescriptorsScanned = 16;

[[noreturn]] void Fail(const QString& text) {
    throw EDiscSource(text.toStdString());
}

QString Quoted(const QString& source) {
    return QStringLiteral("'%1'").arg(QDir::toNativeSeparators(source));
}

// Length of the valid UTF-8 sequence at the start of `bytes`, 0 when there is none.
size_t Utf8SequenceLength(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, value = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, value = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, value = lead & 0x07u;
    else
        return 0;
    if (bytes.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0u) != 0x80u)
            return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return overlong || surrogate || value > 0x10FFFF ? 0 : length;
}

// Where a name read from a disc leads, as a path below the root; a name that would climb out of
// the disc or is empty raises EDiscSource.
QString RelativePath(std::string_view bytes, const QString& source) {
    QStringList parts;
    for (const QString& part : DiscNameText(bytes).split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            Fail(QStringLiteral("%1 names a file outside the disc: '%2'")
                     .arg(Quoted(source), DiscNameText(bytes)));
        parts << part;
    }
    if (parts.isEmpty())
        Fail(QStringLiteral("%1 holds a file without a name").arg(Quoted(source)));
    return parts.join(u'/');
}

// The text of a volume identifier: ASCII in the primary descriptor, UCS-2 big-endian in Joliet's.
QString VolumeIdentifier(const QByteArray& descriptor, bool joliet) {
    const QByteArray field = descriptor.mid(40, 32);
    if (!joliet)
        return QString::fromLatin1(field).trimmed();
    QString text;
    for (qsizetype i = 0; i + 1 < field.size(); i += 2)
        text += QChar(static_cast<char16_t>((static_cast<unsigned char>(field[i]) << 8) |
                                            static_cast<unsigned char>(field[i + 1])));
    return text.trimmed();
}

bool IsJolietDescriptor(const QByteArray& descriptor) {
    // A supplementary descriptor whose escape sequence names UCS-2 level 1, 2 or 3.
    const QByteArray escape = descriptor.mid(88, 3);
    return descriptor[0] == 2 && (escape == "%/@" || escape == "%/C" || escape == "%/E");
}

TDiscSourceInfo InspectImage(const QString& source) {
    QFile image(source);
    if (!image.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("%1 cannot be read: %2").arg(Quoted(source), image.errorString()));
    if (!image.seek(kDescriptorsStart))
        Fail(QStringLiteral("%1 is not a disc image").arg(Quoted(source)));
    QString primary;
    QString joliet;
    bool udf = false;
    bool iso = false;
    for (int sector = 0; sector < kDescriptorsScanned; ++sector) {
        const QByteArray descriptor = image.read(kSectorSize);
        if (descriptor.size() < 7)
            break;
        const QByteArray identifier = descriptor.mid(1, 5);
        if (identifier == "CD001") {
            iso = true;
            if (descriptor[0] == 1)
                primary = VolumeIdentifier(descriptor, false);
            else if (IsJolietDescriptor(descriptor))
                joliet = VolumeIdentifier(descriptor, true);
            else if (static_cast<unsigned char>(descriptor[0]) == 255)
                break;
        } else if (identifier == "NSR02" || identifier == "NSR03") {
            udf = true;
        }
    }
    if (!iso && udf)
        Fail(QStringLiteral("%1 is a UDF image without an ISO 9660 file system; mount it and scan the "
                            "mounted folder")
                 .arg(Quoted(source)));
    if (!iso)
        Fail(QStringLiteral("%1 is neither a folder nor an ISO 9660 disc image").arg(Quoted(source)));
    QString label = !joliet.isEmpty() ? joliet : primary;
    return {TDiscSourceKind::dkImage, label.isEmpty() ? QFileInfo(source).completeBaseName() : label};
}

TDiscSourceInfo InspectFolder(const QString& source) {
    const QString folder = QFileInfo(source).canonicalFilePath();
    const QStorageInfo storage(folder);
    // A mounted disc is named by its volume label; any other folder by its own name.
    QString label;
    if (storage.isValid() && QFileInfo(storage.rootPath()).canonicalFilePath() == folder)
        label = storage.name();
    if (label.isEmpty())
        label = QFileInfo(folder).fileName();
    return {TDiscSourceKind::dkFolder, label};
}

bool KeepContent(const TDiscReadOptions& options, const QString& path, qint64 size) {
    return options.keepContent && options.keepContent(path, size);
}

class TProgress {
public:
    explicit TProgress(const TDiscReadOptions& options) : options_(options) {}
    void Done(const TDiscFile& file) {
        ++files_;
        bytes_ += file.size;
        if (options_.progress && !options_.progress(files_, bytes_))
            throw EAbort("The reading of the disc was cancelled");
    }

private:
    const TDiscReadOptions& options_;
    qint64 files_ = 0;
    qint64 bytes_ = 0;
};

// Hashes, and keeps when asked, the bytes `read` delivers into `block` until it returns 0; returns
// their count, or the negative value `read` failed with (the file's hash is then not set).
template <typename Read>
qint64 ReadContent(TDiscFile& file, bool keep, std::vector<char>& block, Read&& read) {
    TContentHash hash;
    qint64 total = 0;
    for (;;) {
        const qint64 got = read(block.data(), block.size());
        if (got < 0)
            return got;
        if (got == 0)
            break;
        hash.Add(block.data(), static_cast<size_t>(got));
        if (keep)
            file.content.append(block.data(), static_cast<qsizetype>(got));
        total += got;
    }
    file.hash = hash.Hex();
    return total;
}

// --- folders ---

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

struct TFdCloser {
    int fd;
    ~TFdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Reads one file of a folder in blocks; a failure is the file's error.
void ReadFolderFile(const std::filesystem::path& file, TDiscFile& entry, bool keep,
                    std::vector<char>& block) {
    const TFdCloser descriptor{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    if (descriptor.fd < 0) {
        entry.error = SystemError(errno);
        return;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(descriptor.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    const qint64 total = ReadContent(entry, keep, block, [&](char* buffer, size_t size) {
        ssize_t got = 0;
        do
            got = ::read(descriptor.fd, buffer, size);
        while (got < 0 && errno == EINTR);
        return got < 0 ? -errno : static_cast<qint64>(got);
    });
    if (total < 0) {
        entry.error = SystemError(static_cast<int>(-total));
        return;
    }
    // The size read is the file's size: a file that grew or shrank since it was listed is hashed
    // as it was read.
    entry.size = total;
}

void ReadFolder(const QString& source, const std::function<void(TDiscFile&&)>& onFile,
                const TDiscReadOptions& options) {
    namespace fs = std::filesystem;
    const fs::path root(QFile::encodeName(source).toStdString());
    std::error_code error;
    fs::recursive_directory_iterator walk(root, fs::directory_options::none, error);
    if (error)
        Fail(QStringLiteral("%1 cannot be read: %2")
                 .arg(Quoted(source), QString::fromStdString(error.message())));
    std::vector<char> block(kBlockSize);
    TProgress progress(options);
    for (; walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (error)
            break;
        const fs::directory_entry& item = *walk;
        struct stat status {};
        if (::lstat(item.path().c_str(), &status) != 0) {
            // Listed a moment ago and gone now: the file cannot be read.
            TDiscFile gone;
            gone.path = RelativePath(item.path().lexically_relative(root).native(), source);
            gone.error = SystemError(errno);
            onFile(std::move(gone));
            continue;
        }
        if (!S_ISREG(status.st_mode))
            continue;
        TDiscFile file;
        file.path = RelativePath(item.path().lexically_relative(root).native(), source);
        file.size = status.st_size;
        file.modified = status.st_mtime;
        ReadFolderFile(item.path(), file, KeepContent(options, file.path, file.size), block);
        progress.Done(file);
        onFile(std::move(file));
    }
    if (error)
        Fail(QStringLiteral("%1 could not be read to its end: %2")
                 .arg(Quoted(source), QString::fromStdString(error.message())));
}

// --- images ---

struct TArchiveCloser {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

QString ArchiveError(archive* reader) {
    const char* text = archive_error_string(reader);
    return text != nullptr ? QString::fromUtf8(text) : QStringLiteral("unknown error");
}

// The entry's name as the image stores it: Rock Ridge or Joliet when present, else ISO 9660.
std::string_view EntryName(archive_entry* entry) {
    const char* utf8 = archive_entry_pathname_utf8(entry);
    const char* raw = utf8 != nullptr ? utf8 : archive_entry_pathname(entry);
    return raw != nullptr ? std::string_view(raw) : std::string_view();
}

void ReadImage(const QString& source, const std::function<void(TDiscFile&&)>& onFile,
               const TDiscReadOptions& options) {
    const std::unique_ptr<archive, TArchiveCloser> reader(archive_read_new());
    if (!reader)
        Fail(QStringLiteral("%1 cannot be read: out of memory").arg(Quoted(source)));
    archive_read_support_format_iso9660(reader.get());
    const QByteArray name = QFile::encodeName(source);
    if (archive_read_open_filename(reader.get(), name.constData(), kBlockSize) != ARCHIVE_OK)
        Fail(QStringLiteral("%1 cannot be read: %2").arg(Quoted(source), ArchiveError(reader.get())));
    std::vector<char> block(kBlockSize);
    // Files that share their content are reported once with it and then as links to the first.
    std::map<std::string, std::pair<qint64, QString>, std::less<>> firstOfContent;
    TProgress progress(options);
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            Fail(QStringLiteral("%1 is damaged: %2").arg(Quoted(source), ArchiveError(reader.get())));
        const char* link = archive_entry_hardlink(entry);
        if (link == nullptr && archive_entry_filetype(entry) != AE_IFREG)
            continue;
        TDiscFile file;
        file.path = RelativePath(EntryName(entry), source);
        if (archive_entry_mtime_is_set(entry))
            file.modified = archive_entry_mtime(entry);
        if (link != nullptr) {
            const auto first = firstOfContent.find(std::string_view(link));
            if (first == firstOfContent.end())
                continue; // a link to a folder or to something else that is no regular file
            file.size = first->second.first;
            file.hash = first->second.second;
            progress.Done(file);
            onFile(std::move(file));
            continue;
        }
        file.size = archive_entry_size(entry);
        const bool keep = KeepContent(options, file.path, file.size);
        const qint64 total = ReadContent(file, keep, block, [&](char* buffer, size_t size) {
            return static_cast<qint64>(archive_read_data(reader.get(), buffer, size));
        });
        if (total < 0)
            file.error = ArchiveError(reader.get());
        else if (total != file.size)
            file.error = QStringLiteral("%1 of %2 bytes could be read").arg(total).arg(file.size);
        if (file.error.isEmpty()) {
            firstOfContent.emplace(EntryName(entry), std::make_pair(file.size, file.hash));
        } else {
            file.hash.clear();
        }
        // After a file whose bytes ran out the image is usually broken for good: the next header
        // then says so.
        progress.Done(file);
        onFile(std::move(file));
    }
}

} // namespace

TDiscSourceInfo InspectDiscSource(const QString& source) {
    const QFileInfo info(source);
    if (!info.exists())
        Fail(QStringLiteral("%1 does not exist").arg(Quoted(source)));
    return info.isDir() ? InspectFolder(source) : InspectImage(source);
}

void ReadDiscFiles(const QString& source, const std::function<void(TDiscFile&&)>& onFile,
                   const TDiscReadOptions& options) {
    if (InspectDiscSource(source).kind == TDiscSourceKind::dkFolder)
        ReadFolder(source, onFile, options);
    else
        ReadImage(source, onFile, options);
}

QString DiscNameText(std::string_view bytes) {
    size_t valid = 0;
    while (valid < bytes.size()) {
        const size_t length = Utf8SequenceLength(bytes.substr(valid));
        if (length == 0)
            break;
        valid += length;
    }
    if (valid == bytes.size())
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(valid));
    size_t i = valid;
    while (i < bytes.size()) {
        const size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            text += QStringLiteral("%%1")
                        .arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0'))
                        .toUpper();
            ++i;
            continue;
        }
        text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
        i += length;
    }
    return text;
}

QString DiscTimeText(qint64 seconds) {
    // Written by hand: a scan writes one per file, and QDateTime's formatting costs more than the
    // file's hashing on small files.
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (::gmtime_r(&time, &parts) == nullptr)
        return {};
    char text[32];
    const int length =
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                      parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return QString::fromLatin1(text, length);
}

TContentHash::TContentHash() : state_(XXH3_createState()) {
    if (state_ == nullptr)
        throw EOutOfMemory("Out of memory");
    XXH3_128bits_reset(static_cast<XXH3_state_t*>(state_));
}

TContentHash::~TContentHash() {
    XXH3_freeState(static_cast<XXH3_state_t*>(state_));
}

void TContentHash::Add(const void* data, size_t size) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), data, size);
}

QString TContentHash::Hex() const {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(static_cast<const XXH3_state_t*>(state_)));
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest).toHex());
}

} // namespace qm
