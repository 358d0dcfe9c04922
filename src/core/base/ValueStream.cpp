#include "base/ValueStream.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cstring>

#include "base/Errors.h"

namespace kvaril {

static_assert(LDBL_MANT_DIG == 64 && sizeof(long double) >= 10,
              "the value stream stores floats as x87 80-bit extended numbers");
static_assert(std::endian::native == std::endian::little, "the value stream is little-endian");

size_t MemorySource::Read(char* data, size_t size) {
    size_t n = std::min(size, bytes_.size() - position_);
    std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

// ---- writer ----

void TValueWriter::WriteBytes(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (used_ == sizeof buffer_) FlushBuffer();
        size_t n = std::min(size, sizeof buffer_ - used_);
        std::memcpy(buffer_ + used_, p, n);
        used_ += n;
        p += n;
        size -= n;
    }
}

void TValueWriter::FlushBuffer() {
    if (used_ == 0) return;
    size_t n = used_;
    used_ = 0;
    sink_.Write(buffer_, n);
}

void TValueWriter::WriteTag(ValueTag tag) {
    auto byte = static_cast<uint8_t>(tag);
    WriteBytes(&byte, 1);
}

void TValueWriter::WriteInteger(int32_t value) {
    if (value >= -128 && value <= 127) {
        WriteTag(ValueTag::Int8);
        auto v = static_cast<int8_t>(value);
        WriteBytes(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteTag(ValueTag::Int16);
        auto v = static_cast<int16_t>(value);
        WriteBytes(&v, 2);
    } else {
        WriteTag(ValueTag::Int32);
        WriteBytes(&value, 4);
    }
}

void TValueWriter::WriteFloat(long double value) {
    WriteTag(ValueTag::Extended);
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value, sizeof value);
    WriteBytes(bytes, 10);
}

void TValueWriter::WriteString(std::string_view value) {
    if (value.size() < 256) {
        WriteTag(ValueTag::String);
        auto n = static_cast<uint8_t>(value.size());
        WriteBytes(&n, 1);
    } else {
        WriteTag(ValueTag::LongString);
        auto n = static_cast<uint32_t>(value.size());
        WriteBytes(&n, 4);
    }
    WriteBytes(value.data(), value.size());
}

void TValueWriter::WriteBoolean(bool value) { WriteTag(value ? ValueTag::True : ValueTag::False); }

// ---- reader ----

size_t TValueReader::Fill() {
    if (begin_ == end_) {
        begin_ = 0;
        end_ = source_.Read(buffer_, sizeof buffer_);
    }
    return end_ - begin_;
}

void TValueReader::ReadBytes(void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        size_t available = Fill();
        if (available == 0) throw EReadError(kStreamReadError);
        size_t n = std::min(size, available);
        std::memcpy(p, buffer_ + begin_, n);
        begin_ += n;
        p += n;
        size -= n;
    }
}

uint8_t TValueReader::ReadTag() {
    uint8_t tag;
    ReadBytes(&tag, 1);
    return tag;
}

uint8_t TValueReader::PeekTag() {
    if (Fill() == 0) throw EReadError(kStreamReadError);
    return static_cast<uint8_t>(buffer_[begin_]);
}

int32_t TValueReader::ReadIntegerPayload(uint8_t tag) {
    switch (static_cast<ValueTag>(tag)) {
        case ValueTag::Int8: {
            int8_t v;
            ReadBytes(&v, 1);
            return v;
        }
        case ValueTag::Int16: {
            int16_t v;
            ReadBytes(&v, 2);
            return v;
        }
        case ValueTag::Int32: {
            int32_t v;
            ReadBytes(&v, 4);
            return v;
        }
        default:
            throw EReadError(kInvalidPropertyValue);
    }
}

int32_t TValueReader::ReadInteger() { return ReadIntegerPayload(ReadTag()); }

long double TValueReader::ReadFloat() {
    uint8_t tag = ReadTag();
    if (tag != static_cast<uint8_t>(ValueTag::Extended)) return ReadIntegerPayload(tag);
    unsigned char bytes[sizeof(long double)] = {};
    ReadBytes(bytes, 10);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::string TValueReader::ReadString() {
    uint8_t tag = ReadTag();
    uint32_t length;
    if (tag == static_cast<uint8_t>(ValueTag::String)) {
        uint8_t n;
        ReadBytes(&n, 1);
        length = n;
    } else if (tag == static_cast<uint8_t>(ValueTag::LongString)) {
        ReadBytes(&length, 4);
        if (length >= 0x80000000u) throw EReadError(kStringTooLong);
    } else {
        throw EReadError(kInvalidPropertyValue);
    }
    // Grow with the bytes actually present, never by what a (possibly corrupt) length claims.
    std::string value;
    while (value.size() < length) {
        size_t available = Fill();
        if (available == 0) throw EReadError(kStreamReadError);
        size_t n = std::min<size_t>(length - value.size(), available);
        value.append(buffer_ + begin_, n);
        begin_ += n;
    }
    return value;
}

bool TValueReader::ReadBoolean() { return ReadTag() == static_cast<uint8_t>(ValueTag::True); }

void TValueReader::ReadListBegin() {
    if (ReadTag() != static_cast<uint8_t>(ValueTag::ListBegin))
        throw EReadError(kInvalidPropertyValue);
}

void TValueReader::ReadListEnd() {
    if (ReadTag() != static_cast<uint8_t>(ValueTag::ListEnd))
        throw EReadError(kInvalidPropertyValue);
}

bool TValueReader::EndOfList() { return PeekTag() == static_cast<uint8_t>(ValueTag::ListEnd); }

}  // namespace kvaril
