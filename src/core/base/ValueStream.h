#pragma once
// The tagged value stream in which a document persists: every value is one tag byte and its
// payload, little-endian. The writer always takes the shortest form; the reader checks only
// tags and lengths and leaves meaning to the caller.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace kvaril {

enum class ValueTag : uint8_t {
    ListEnd = 0,
    ListBegin = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    False = 8,
    True = 9,
    LongString = 12,
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Write(const char* data, size_t size) = 0;  // throws on failure
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes; 0 only at the end of the data. Throws on failure.
    virtual size_t Read(char* data, size_t size) = 0;
};

class MemorySink : public ByteSink {
  public:
    void Write(const char* data, size_t size) override { bytes.append(data, size); }
    std::string bytes;
};

// Holds its own copy, so it can be made from a temporary.
class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    size_t Read(char* data, size_t size) override;

  private:
    std::string bytes_;
    size_t position_ = 0;
};

// Values pass through a buffer so that one value never costs a call into the system.
inline constexpr size_t kValueStreamBufferSize = 32000;

class TValueWriter {
  public:
    explicit TValueWriter(ByteSink& sink) : sink_(sink) {}
    TValueWriter(const TValueWriter&) = delete;
    TValueWriter& operator=(const TValueWriter&) = delete;

    void WriteInteger(int32_t value);
    void WriteFloat(long double value);  // as an 80-bit extended number
    void WriteString(std::string_view value);
    void WriteBoolean(bool value);
    void WriteListBegin() { WriteTag(ValueTag::ListBegin); }
    void WriteListEnd() { WriteTag(ValueTag::ListEnd); }
    // Pushes the buffered bytes into the sink; nothing is written until then.
    void FlushBuffer();

  private:
    void WriteTag(ValueTag tag);
    void WriteBytes(const void* data, size_t size);

    ByteSink& sink_;
    char buffer_[kValueStreamBufferSize];
    size_t used_ = 0;
};

class TValueReader {
  public:
    explicit TValueReader(ByteSource& source) : source_(source) {}
    TValueReader(const TValueReader&) = delete;
    TValueReader& operator=(const TValueReader&) = delete;

    int32_t ReadInteger();
    long double ReadFloat();  // an integer value is accepted and converted
    std::string ReadString();
    bool ReadBoolean();  // true exactly for the tag 9; any other byte is false
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList();  // looks at the next tag without taking it

  private:
    uint8_t ReadTag();
    uint8_t PeekTag();
    int32_t ReadIntegerPayload(uint8_t tag);
    void ReadBytes(void* data, size_t size);
    size_t Fill();

    ByteSource& source_;
    char buffer_[kValueStreamBufferSize];
    size_t begin_ = 0;
    size_t end_ = 0;
};

// Texts of the reader's errors.
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kStringTooLong = "Недопустимая длина строки: нарушена структура файла";

}  // namespace kvaril
