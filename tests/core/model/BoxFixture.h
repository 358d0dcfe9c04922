#pragma once
// Model tests that run in each box: with namespaces, and confined by Landlock where they cannot
// be made. Each test is a process of its own, so the box is chosen once, in SetUp.

#include <cstdlib>
#include <string>

#include "model/ModelBox.h"
#include "model/ModelFixture.h"
#include "store/uSignalsData.h"

namespace kvaril::testing {

inline const char* const kOpen =
    "function open(p: PAnsiChar; f, m: Integer): Integer; cdecl; external 'c';";
inline constexpr int kCreateForWriting = 0101;  // O_WRONLY | O_CREAT

class BoxFixture : public ModelFixture, public ::testing::WithParamInterface<TBoxKind> {
  protected:
    void SetUp() override {
        if (GetParam() == TBoxKind::Landlock)
            ::setenv("KVARIL_MODEL_BOX", "landlock", 1);
        else
            ::unsetenv("KVARIL_MODEL_BOX");
        ModelFixture::SetUp();
        ASSERT_EQ(AvailableBox(), GetParam()) << "this machine cannot make the box";
    }
    // A signal whose value is what `expression` returned in its first quantum.
    void Try(const std::string& expression) {
        TSignal& s = Add("Try", "  if t = 0 then Value := " + expression + ";");
        s.Lines().insert(s.Lines().begin(), {kOpen, ""});
    }
    double Result() const { return signals_.Data().GetData(0, 0); }
};

// The name of a test's box, for INSTANTIATE_TEST_SUITE_P.
inline std::string BoxName(const ::testing::TestParamInfo<TBoxKind>& info) {
    return info.param == TBoxKind::Namespaces ? "Namespaces" : "Landlock";
}

}  // namespace kvaril::testing
