#include "base/ValueStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "base/Errors.h"

namespace kvaril {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string Written(const std::function<void(TValueWriter&)>& write) {
    MemorySink sink;
    TValueWriter writer(sink);
    write(writer);
    writer.FlushBuffer();
    return sink.bytes;
}

// Runs `read` over `bytes` and returns the message of the error it raised.
std::string ReadError(const std::string& bytes, const std::function<void(TValueReader&)>& read) {
    MemorySource source(bytes);
    TValueReader reader(source);
    try {
        read(reader);
    } catch (const EReadError& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(ValueWriter, IntegersTakeTheShortestForm) {
    struct Case {
        int32_t value;
        int tag;
        size_t size;
    } cases[] = {{-128, 2, 2},  {127, 2, 2},    {-129, 3, 3},  {128, 3, 3},      {-32768, 3, 3},
                 {32767, 3, 3}, {-32769, 4, 5}, {32768, 4, 5}, {INT32_MIN, 4, 5}};
    for (const auto& c : cases) {
        std::string bytes = Written([&](TValueWriter& w) { w.WriteInteger(c.value); });
        ASSERT_EQ(bytes.size(), c.size) << c.value;
        EXPECT_EQ(bytes[0], c.tag) << c.value;
        MemorySource source(bytes);
        TValueReader reader(source);
        EXPECT_EQ(reader.ReadInteger(), c.value);
    }
    EXPECT_EQ(Written([](TValueWriter& w) { w.WriteInteger(4); }), Bytes({2, 4}));
}

TEST(ValueWriter, FloatsAreExtendedNumbers) {
    EXPECT_EQ(Written([](TValueWriter& w) { w.WriteFloat(0.0001); }),
              Bytes({5, 0x00, 0x68, 0x19, 0xE2, 0x58, 0x17, 0xB7, 0xD1, 0xF1, 0x3F}));
    EXPECT_EQ(Written([](TValueWriter& w) { w.WriteFloat(0.1); }),
              Bytes({5, 0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
    EXPECT_EQ(Written([](TValueWriter& w) { w.WriteFloat(0.0); }),
              Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ValueWriter, StringsBooleansAndLists) {
    EXPECT_EQ(Written([](TValueWriter& w) { w.WriteString("KVARIL"); }),
              Bytes({6, 6, 0x4B, 0x56, 0x41, 0x52, 0x49, 0x4C}));
    EXPECT_EQ(Written([](TValueWriter& w) {
                  w.WriteListBegin();
                  w.WriteListEnd();
              }),
              Bytes({1, 0}));
    EXPECT_EQ(Written([](TValueWriter& w) {
                  w.WriteBoolean(true);
                  w.WriteBoolean(false);
              }),
              Bytes({9, 8}));
}

TEST(ValueStream, StringsOfAnyLengthReadBackEqual) {
    for (size_t length : {size_t{0}, size_t{255}, size_t{256}, size_t{100000}}) {
        std::string text(length, 'x');
        for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
        std::string bytes = Written([&](TValueWriter& w) { w.WriteString(text); });
        EXPECT_EQ(bytes[0], length < 256 ? 6 : 12) << length;
        EXPECT_EQ(bytes.size(), text.size() + (length < 256 ? 2 : 5));
        MemorySource source(bytes);
        TValueReader reader(source);
        EXPECT_EQ(reader.ReadString(), text);
    }
}

TEST(ValueStream, FloatsRoundTripExactly) {
    for (double v : {0.0, -0.0, 0.1, 1e-300, 5e-324, 1.7976931348623157e308, -123.456}) {
        std::string bytes = Written([&](TValueWriter& w) { w.WriteFloat(v); });
        MemorySource source(bytes);
        TValueReader reader(source);
        double back = static_cast<double>(reader.ReadFloat());
        EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;
    }
}

TEST(ValueReader, FloatPositionAcceptsIntegers) {
    MemorySource source(Bytes({2, 5, 3, 0x00, 0x80, 4, 1, 0, 0, 0}));
    TValueReader reader(source);
    EXPECT_EQ(reader.ReadFloat(), 5.0);
    EXPECT_EQ(reader.ReadFloat(), -32768.0);
    EXPECT_EQ(reader.ReadFloat(), 1.0);
}

TEST(ValueReader, AnyBooleanByteOtherThanTrueIsFalse) {
    MemorySource source(Bytes({9, 8, 0, 1, 2, 200}));
    TValueReader reader(source);
    EXPECT_TRUE(reader.ReadBoolean());
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(reader.ReadBoolean());
}

TEST(ValueReader, EndOfListLooksWithoutTaking) {
    MemorySource source(Bytes({1, 2, 7, 0}));
    TValueReader reader(source);
    reader.ReadListBegin();
    EXPECT_FALSE(reader.EndOfList());
    EXPECT_EQ(reader.ReadInteger(), 7);
    EXPECT_TRUE(reader.EndOfList());
    EXPECT_TRUE(reader.EndOfList());
    reader.ReadListEnd();
}

TEST(ValueReader, WrongKindsAreInvalidPropertyValues) {
    auto readString = [](TValueReader& r) { r.ReadString(); };
    auto readInteger = [](TValueReader& r) { r.ReadInteger(); };
    EXPECT_EQ(ReadError(Bytes({2, 1}), readString), kInvalidPropertyValue);
    EXPECT_EQ(ReadError(Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), readInteger),
              kInvalidPropertyValue);
    EXPECT_EQ(ReadError(Bytes({6, 0}), readInteger), kInvalidPropertyValue);
    EXPECT_EQ(ReadError(Bytes({7}), [](TValueReader& r) { r.ReadFloat(); }), kInvalidPropertyValue);
    EXPECT_EQ(ReadError(Bytes({0}), [](TValueReader& r) { r.ReadListBegin(); }),
              kInvalidPropertyValue);
    EXPECT_EQ(ReadError(Bytes({1}), [](TValueReader& r) { r.ReadListEnd(); }),
              kInvalidPropertyValue);
}

TEST(ValueReader, DataEndingEarlyIsAStreamReadError) {
    auto readString = [](TValueReader& r) { r.ReadString(); };
    EXPECT_EQ(ReadError(Bytes({6}), readString), kStreamReadError);
    EXPECT_EQ(ReadError(Bytes({6, 3, 'a'}), readString), kStreamReadError);
    EXPECT_EQ(ReadError(Bytes({12, 0, 1}), readString), kStreamReadError);
    EXPECT_EQ(ReadError("", [](TValueReader& r) { r.ReadInteger(); }), kStreamReadError);
    EXPECT_EQ(ReadError(Bytes({4, 1, 2}), [](TValueReader& r) { r.ReadInteger(); }),
              kStreamReadError);
    EXPECT_EQ(ReadError(Bytes({5, 1, 2, 3}), [](TValueReader& r) { r.ReadFloat(); }),
              kStreamReadError);
    EXPECT_EQ(ReadError("", [](TValueReader& r) { r.ReadBoolean(); }), kStreamReadError);
    EXPECT_EQ(ReadError(Bytes({1}),
                        [](TValueReader& r) {
                            r.ReadListBegin();
                            r.EndOfList();
                        }),
              kStreamReadError);
}

TEST(ValueReader, HugeStringLengthsFailWithoutAllocating) {
    auto readString = [](TValueReader& r) { r.ReadString(); };
    EXPECT_EQ(ReadError(Bytes({12, 0, 0, 0, 0x80, 'a'}), readString), kStringTooLong);
    EXPECT_EQ(ReadError(Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF}), readString), kStringTooLong);
    // Just below the limit: the claimed 2 GiB are never reserved, the missing bytes end it.
    EXPECT_EQ(ReadError(Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}), readString),
              kStreamReadError);
}

// Counts the writes the value writer makes into its sink.
class CountingSink : public ByteSink {
  public:
    void Write(const char* data, size_t size) override {
        ++writes;
        largest = std::max(largest, size);
        bytes.append(data, size);
    }
    int writes = 0;
    size_t largest = 0;
    std::string bytes;
};

TEST(ValueWriter, BuffersValuesBetweenFlushes) {
    CountingSink sink;
    TValueWriter writer(sink);
    for (int i = 0; i < 1000; ++i) writer.WriteInteger(i);
    EXPECT_EQ(sink.writes, 0);
    writer.WriteString(std::string(100000, 'z'));
    writer.FlushBuffer();
    EXPECT_GE(sink.writes, 4);
    EXPECT_LE(sink.largest, kValueStreamBufferSize);

    MemorySource source(sink.bytes);
    TValueReader reader(source);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(reader.ReadInteger(), i);
    EXPECT_EQ(reader.ReadString(), std::string(100000, 'z'));
}

}  // namespace
}  // namespace kvaril
