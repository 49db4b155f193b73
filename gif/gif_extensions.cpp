#include "gif/gif_extensions.h"

#include "framework/core/stream.h"
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "gif/gif_stream_util.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qm {

// --- registries ---

namespace {

std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>>& ExtensionRegistry() {
    static std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>> list = {
        {0x01, &TGIFTextExtension::Class},
        {0xF9, &TGIFGraphicControlExtension::Class},
        {0xFE, &TGIFCommentExtension::Class},
        {0xFF, &TGIFApplicationExtension::Class},
    };
    return list;
}

constexpr TGIFApplicationRec AppCode(const char (&text)[12]) {
    TGIFApplicationRec code{};
    for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<std::uint8_t>(text[i]);
    return code;
}

std::vector<std::pair<TGIFApplicationRec, const TGIFExtensionClass*>>& AppExtensionRegistry() {
    static std::vector<std::pair<TGIFApplicationRec, const TGIFExtensionClass*>> list = {
        {AppCode("NETSCAPE2.0"), &TGIFAppExtNSLoop::Class},
        {AppCode("ANIMEXTS1.0"), &TGIFAppExtNSLoop::Class},
    };
    return list;
}

// Later registrations win, so look-ups scan from the back.
template <class List, class Key> const TGIFExtensionClass* LookUp(const List& list, const Key& key) {
    const auto found =
        std::find_if(list.rbegin(), list.rend(), [&](const auto& entry) { return entry.first == key; });
    return found == list.rend() ? nullptr : found->second;
}

// Any extension class may at most consume the rest of the stream while refining; this bounds the
// refinement loop on top of that.
constexpr int MaxRefinements = 64;

} // namespace

const TGIFExtensionClass TGIFGraphicControlExtension::Class =
    MakeExtensionClass<TGIFGraphicControlExtension>("TGIFGraphicControlExtension");
const TGIFExtensionClass TGIFTextExtension::Class =
    MakeExtensionClass<TGIFTextExtension>("TGIFTextExtension");
const TGIFExtensionClass TGIFCommentExtension::Class =
    MakeExtensionClass<TGIFCommentExtension>("TGIFCommentExtension");
const TGIFExtensionClass TGIFApplicationExtension::Class =
    MakeExtensionClass<TGIFApplicationExtension>("TGIFApplicationExtension");
const TGIFExtensionClass TGIFUnknownAppExtension::Class =
    MakeExtensionClass<TGIFUnknownAppExtension>("TGIFUnknownAppExtension");
const TGIFExtensionClass TGIFAppExtNSLoop::Class = MakeExtensionClass<TGIFAppExtNSLoop>("TGIFAppExtNSLoop");

void TGIFExtension::RegisterExtension(std::uint8_t label, const TGIFExtensionClass& extensionClass) {
    ExtensionRegistry().emplace_back(label, &extensionClass);
}

void TGIFApplicationExtension::RegisterExtension(const TGIFApplicationRec& code,
                                                 const TGIFExtensionClass& extensionClass) {
    AppExtensionRegistry().emplace_back(code, &extensionClass);
}

const TGIFExtensionClass* TGIFExtension::FindExtension(QIODevice& stream) {
    const qint64 start = stream.pos();
    std::uint8_t label = 0;
    const TGIFExtensionClass* result = nullptr;
    if (ReadOptionalByte(stream, label)) {
        result = LookUp(ExtensionRegistry(), label);
        for (int step = 0; result != nullptr && step < MaxRefinements; ++step) {
            const TGIFExtensionClass* sub = result->FindSubExtension(*result, stream);
            if (sub == result)
                break;
            result = sub;
        }
    }
    stream.seek(start);
    return result;
}

const TGIFExtensionClass* TGIFExtension::FindSubExtension(const TGIFExtensionClass& self, QIODevice&) {
    return &self;
}

const TGIFExtensionClass* TGIFApplicationExtension::FindSubExtension(const TGIFExtensionClass& self,
                                                                     QIODevice& stream) {
    const qint64 start = stream.pos();
    std::uint8_t size = 0;
    if (!ReadOptionalByte(stream, size))
        return nullptr;
    TGIFApplicationRec code{};
    if (size == 10)
        return ReadAvailable(stream, code.data(), 10) == 10 ? &TGIFUnknownAppExtension::Class : nullptr;
    if (size < 11 || ReadAvailable(stream, code.data(), 11) != 11) {
        stream.seek(start);
        return &self;
    }
    // A longer block names the extension in its first eleven bytes like any other.
    SkipBytes(stream, size - 11);
    const TGIFExtensionClass* found = LookUp(AppExtensionRegistry(), code);
    return found != nullptr ? found : &TGIFUnknownAppExtension::Class;
}

// --- common framing ---

TGIFExtension::TGIFExtension(TGIFSubImage* subImage)
    : TGIFItem(subImage != nullptr ? subImage->Image() : nullptr), subImage_(subImage) {}

void TGIFExtension::SaveFraming(QIODevice& stream) const {
    const std::uint8_t framing[2] = {0x21, GetExtensionType()};
    WriteCheck(stream, framing, sizeof framing);
}

void TGIFExtension::LoadFraming(QIODevice& stream) const {
    std::uint8_t framing[2];
    ReadCheck(stream, framing, sizeof framing);
    if (framing[0] != 0x21)
        throw GIFException(sBadExtensionLabel);
    if (framing[1] != GetExtensionType())
        throw GIFException(sBadExtensionInstance);
}

// --- graphic control extension ---

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {
    if (subImage_ != nullptr && subImage_->GraphicControlExtension == nullptr)
        subImage_->GraphicControlExtension = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (subImage_ == nullptr)
        return;
    if (GetTransparent())
        subImage_->Transparent = false;
    if (subImage_->GraphicControlExtension == this)
        subImage_->GraphicControlExtension = nullptr;
}

void TGIFGraphicControlExtension::SetTransparent(bool value) {
    rec_.PackedFields =
        static_cast<std::uint8_t>(value ? rec_.PackedFields | 0x01 : rec_.PackedFields & ~0x01);
    if (subImage_ != nullptr)
        subImage_->Transparent = value;
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index) {
    if (subImage_ != nullptr) {
        const int count = subImage_->GetActiveColorMap().Count();
        if (count > 0 && (index < 0 || index >= count)) {
            Warning(TGIFSeverity::gsWarning, sBadColorIndex);
            index = 0;
        }
    }
    rec_.TransparentColorIndex = static_cast<std::uint8_t>(index);
}

TColor TGIFGraphicControlExtension::GetTransparentColor() const {
    return subImage_->GetActiveColorMap().GetColor(rec_.TransparentColorIndex);
}

void TGIFGraphicControlExtension::SetTransparentColor(TColor color) {
    SetTransparentColorIndex(subImage_->GetActiveColorMap().AddUnique(color));
}

void TGIFGraphicControlExtension::SetUserInput(bool value) {
    rec_.PackedFields =
        static_cast<std::uint8_t>(value ? rec_.PackedFields | 0x02 : rec_.PackedFields & ~0x02);
}

void TGIFGraphicControlExtension::SetDisposal(int value) {
    rec_.PackedFields = static_cast<std::uint8_t>((rec_.PackedFields & ~0x1C) | ((value & 0x07) << 2));
}

void TGIFGraphicControlExtension::SaveToStream(QIODevice& stream) {
    SaveFraming(stream);
    std::uint8_t bytes[6];
    bytes[0] = rec_.BlockSize;
    bytes[1] = rec_.PackedFields;
    PutU16(bytes + 2, rec_.DelayTime);
    bytes[4] = rec_.TransparentColorIndex;
    bytes[5] = rec_.Terminator;
    WriteCheck(stream, bytes, sizeof bytes);
}

void TGIFGraphicControlExtension::LoadFromStream(QIODevice& stream) {
    LoadFraming(stream);
    // The block size is not trusted: the record is always six bytes.
    std::uint8_t bytes[6] = {};
    if (ReadAvailable(stream, bytes, sizeof bytes) < sizeof bytes)
        Warning(TGIFSeverity::gsWarning, sOutOfData);
    rec_.BlockSize = bytes[0];
    rec_.PackedFields = bytes[1];
    rec_.DelayTime = GetU16(bytes + 2);
    rec_.TransparentColorIndex = bytes[4];
    rec_.Terminator = bytes[5];
    if (GetTransparent() && subImage_ != nullptr)
        subImage_->Transparent = true;
}

// --- text sub-blocks ---

void TGIFTextLines::SaveText(QIODevice& stream) const {
    for (const std::string& line : Text)
        WriteSubBlocks(stream, reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    WriteByte(stream, 0);
}

void TGIFTextLines::LoadText(QIODevice& stream) {
    Text.clear();
    std::uint8_t count = 0;
    char buffer[255];
    while (ReadOptionalByte(stream, count) && count != 0) {
        ReadCheck(stream, buffer, count);
        Text.emplace_back(buffer, strnlen(buffer, count));
    }
}

// --- plain text extension ---

namespace {

std::uint16_t* TextBound(TGIFPlainTextExtensionRec& rec, int index) {
    switch (index) {
    case 1:
        return &rec.Left;
    case 2:
        return &rec.Top;
    case 3:
        return &rec.Width;
    case 4:
        return &rec.Height;
    default:
        return nullptr;
    }
}

std::uint8_t* PickByte(int index, std::uint8_t& first, std::uint8_t& second) {
    return index == 1 ? &first : index == 2 ? &second : nullptr;
}

} // namespace

int TGIFTextExtension::GetBounds(int index) const {
    auto rec = rec_;
    const std::uint16_t* field = TextBound(rec, index);
    return field != nullptr ? *field : 0;
}

void TGIFTextExtension::SetBounds(int index, int value) {
    if (std::uint16_t* field = TextBound(rec_, index))
        *field = static_cast<std::uint16_t>(value);
}

int TGIFTextExtension::GetCharWidthHeight(int index) const {
    auto rec = rec_;
    const std::uint8_t* field = PickByte(index, rec.CellWidth, rec.CellHeight);
    return field != nullptr ? *field : 0;
}

void TGIFTextExtension::SetCharWidthHeight(int index, int value) {
    if (std::uint8_t* field = PickByte(index, rec_.CellWidth, rec_.CellHeight))
        *field = static_cast<std::uint8_t>(value);
}

int TGIFTextExtension::GetColorIndex(int index) const {
    auto rec = rec_;
    const std::uint8_t* field = PickByte(index, rec.TextFGColorIndex, rec.TextBGColorIndex);
    return field != nullptr ? *field : 0;
}

void TGIFTextExtension::SetColorIndex(int index, int value) {
    if (std::uint8_t* field = PickByte(index, rec_.TextFGColorIndex, rec_.TextBGColorIndex))
        *field = static_cast<std::uint8_t>(value);
}

TColor TGIFTextExtension::GetForegroundColor() const {
    return subImage_->GetActiveColorMap().GetColor(rec_.TextFGColorIndex);
}

void TGIFTextExtension::SetForegroundColor(TColor color) {
    rec_.TextFGColorIndex = static_cast<std::uint8_t>(subImage_->GetActiveColorMap().AddUnique(color));
}

TColor TGIFTextExtension::GetBackgroundColor() const {
    return subImage_->GetActiveColorMap().GetColor(rec_.TextBGColorIndex);
}

void TGIFTextExtension::SetBackgroundColor(TColor color) {
    rec_.TextBGColorIndex = static_cast<std::uint8_t>(subImage_->GetActiveColorMap().AddUnique(color));
}

void TGIFTextExtension::SaveToStream(QIODevice& stream) {
    SaveFraming(stream);
    std::uint8_t bytes[13];
    bytes[0] = rec_.BlockSize;
    PutRect16(bytes + 1, rec_.Left, rec_.Top, rec_.Width, rec_.Height);
    bytes[9] = rec_.CellWidth;
    bytes[10] = rec_.CellHeight;
    bytes[11] = rec_.TextFGColorIndex;
    bytes[12] = rec_.TextBGColorIndex;
    WriteCheck(stream, bytes, sizeof bytes);
    SaveText(stream);
}

void TGIFTextExtension::LoadFromStream(QIODevice& stream) {
    LoadFraming(stream);
    std::uint8_t bytes[13];
    ReadCheck(stream, bytes, sizeof bytes);
    rec_.BlockSize = bytes[0];
    GetRect16(bytes + 1, rec_.Left, rec_.Top, rec_.Width, rec_.Height);
    rec_.CellWidth = bytes[9];
    rec_.CellHeight = bytes[10];
    rec_.TextFGColorIndex = bytes[11];
    rec_.TextBGColorIndex = bytes[12];
    LoadText(stream);
}

// --- comment extension ---

void TGIFCommentExtension::SaveToStream(QIODevice& stream) {
    SaveFraming(stream);
    // A comment whose first sub-block is the terminator is misread by other readers as the start
    // of the next block, so a comment without text keeps one sub-block of a single zero byte.
    const bool empty =
        std::all_of(Text.begin(), Text.end(), [](const std::string& line) { return line.empty(); });
    if (empty) {
        const std::uint8_t noText[3] = {1, 0, 0};
        WriteCheck(stream, noText, sizeof noText);
        return;
    }
    SaveText(stream);
}

void TGIFCommentExtension::LoadFromStream(QIODevice& stream) {
    LoadFraming(stream);
    LoadText(stream);
}

// --- application extensions ---

namespace {

std::string FieldText(const TGIFApplicationRec& rec, std::size_t offset, std::size_t length) {
    return std::string(reinterpret_cast<const char*>(rec.data()) + offset, length);
}

void SetField(TGIFApplicationRec& rec, std::size_t offset, std::size_t length, const std::string& value) {
    if (value.size() < length)
        std::fill_n(rec.begin() + static_cast<std::ptrdiff_t>(offset), length, std::uint8_t{' '});
    std::copy_n(value.begin(), std::min(value.size(), length),
                rec.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

std::string TGIFApplicationExtension::GetIdentifier() const {
    return FieldText(rec_, 0, 8);
}
void TGIFApplicationExtension::SetIdentifier(const std::string& value) {
    SetField(rec_, 0, 8, value);
}
std::string TGIFApplicationExtension::GetAuthentication() const {
    return FieldText(rec_, 8, 3);
}
void TGIFApplicationExtension::SetAuthentication(const std::string& value) {
    SetField(rec_, 8, 3, value);
}

void TGIFApplicationExtension::SaveToStream(QIODevice& stream) {
    SaveFraming(stream);
    WriteByte(stream, 11);
    WriteCheck(stream, rec_.data(), rec_.size());
    SaveData(stream);
}

void TGIFApplicationExtension::LoadFromStream(QIODevice& stream) {
    LoadFraming(stream);
    const std::uint8_t size = ReadByte(stream);
    if (size == 10) {
        // Ten bytes of identification; the eleventh slot keeps the next count byte, which is
        // read again as data.
        rec_.fill(0);
        ReadCheck(stream, rec_.data(), rec_.size());
        stream.seek(stream.pos() - 1);
    } else if (size < 11) {
        throw GIFException(sBadBlockSize);
    } else {
        ReadCheck(stream, rec_.data(), rec_.size());
        SkipBytes(stream, size - 11);
    }
    LoadData(stream);
}

// An application extension of no known kind still ends with its sub-block terminator, so the
// blocks after it are read and written where they belong.
void TGIFApplicationExtension::SaveData(QIODevice& stream) {
    WriteByte(stream, 0);
}

void TGIFApplicationExtension::LoadData(QIODevice& stream) {
    std::uint8_t count = 0;
    while (ReadOptionalByte(stream, count) && count != 0)
        SkipBytes(stream, count);
}

void TGIFUnknownAppExtension::SaveData(QIODevice& stream) {
    for (const auto& block : blocks_) {
        WriteByte(stream, block->Size());
        WriteCheck(stream, block->Data.data(), block->Data.size());
    }
    WriteByte(stream, 0);
}

void TGIFUnknownAppExtension::LoadData(QIODevice& stream) {
    blocks_.clear();
    std::uint8_t count = 0;
    while (ReadOptionalByte(stream, count) && count != 0) {
        auto block = std::make_unique<TGIFBlock>(count);
        ReadCheck(stream, block->Data.data(), count);
        blocks_.push_back(std::move(block));
    }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* subImage) : TGIFApplicationExtension(subImage) {
    rec_ = AppCode("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::LoadData(QIODevice& stream) {
    std::uint8_t count = 0;
    while (ReadOptionalByte(stream, count) && count != 0) {
        std::uint8_t id = 0;
        if (!ReadOptionalByte(stream, id)) {
            Warning(TGIFSeverity::gsWarning, sOutOfData);
            return;
        }
        std::uint8_t value[4];
        if ((id & 7) == 1) {
            if (count < 3)
                throw GIFException(sInvalidData);
            ReadCheck(stream, value, 2);
            Loops = GetU16(value);
            SkipBytes(stream, count - 3);
        } else if ((id & 7) == 2) {
            if (count < 5)
                throw GIFException(sInvalidData);
            ReadCheck(stream, value, 4);
            BufferSize = GetU32(value);
            SkipBytes(stream, count - 5);
        } else {
            SkipBytes(stream, count - 1);
        }
    }
}

void TGIFAppExtNSLoop::SaveData(QIODevice& stream) {
    std::uint8_t bytes[11] = {3, 1};
    std::size_t length = 4;
    PutU16(bytes + 2, static_cast<std::uint16_t>(Loops));
    if (BufferSize != 0) {
        bytes[4] = 5;
        bytes[5] = 2;
        PutU32(bytes + 6, BufferSize);
        length = 10;
    }
    bytes[length++] = 0;
    WriteCheck(stream, bytes, length);
}

// --- the extension list of a frame ---

void TGIFExtensionList::LoadFromStream(QIODevice& stream, TGIFSubImage* parent) {
    std::uint8_t byte = 0;
    if (!ReadOptionalByte(stream, byte))
        return;
    while (byte != 0x2C && byte != 0x3B) {
        if (byte != 0x21) {
            Warning(TGIFSeverity::gsWarning, sBadExtensionLabel);
            break;
        }
        const TGIFExtensionClass* extensionClass = TGIFExtension::FindExtension(stream);
        if (extensionClass == nullptr)
            throw GIFException(sUnknownExtension);
        stream.seek(stream.pos() - 1);
        auto extension = extensionClass->Create(parent);
        extension->LoadFromStream(stream); // a failure frees it
        Add(std::move(extension));
        if (!ReadOptionalByte(stream, byte))
            return;
    }
    stream.seek(stream.pos() - 1);
}

} // namespace qm
