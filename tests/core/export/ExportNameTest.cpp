#include "export/ExportName.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

TEST(ExportName, OneSignalGivesItsNameSeveralTheDocuments) {
    EXPECT_EQ(SuggestedExportName("/home/u/am chain.sig", {"Detector"}, "wav"), "Detector.wav");
    EXPECT_EQ(SuggestedExportName("/home/u/am chain.sig", {"A", "B"}, "csv"), "am chain.csv");
    // A picture names no signal: the document's name.
    EXPECT_EQ(SuggestedExportName("/home/u/Filters.SIG", {}, "png"), "Filters.png");
}

TEST(ExportName, NamesThatAreNoFileNamesAreMended) {
    EXPECT_EQ(SuggestedExportName("", {}, "csv"), "noname.csv");
    EXPECT_EQ(SuggestedExportName("/home/u/.hidden", {}, "csv"), ".hidden.csv");
    EXPECT_EQ(SuggestedExportName("/home/u/a.b.sig", {}, "svg"), "a.b.svg");
    EXPECT_EQ(SuggestedExportName("doc.sig", {"x/y\n"}, "csv"), "x_y_.csv");
    EXPECT_EQ(SuggestedExportName("/home/u/..", {}, "csv"), "noname.csv");
    EXPECT_EQ(SuggestedExportName("/", {}, "pdf"), "noname.pdf");
    EXPECT_EQ(SuggestedExportName("/home/u/Сигналы.sig", {}, "csv"), "Сигналы.csv");
}

}  // namespace
}  // namespace kvaril
