#include "desktop/RecentDocuments.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace kvaril {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentDocuments, NewestFirstAndAReopenedFileMovesUp) {
    TRecentDocuments recent;
    recent.Add("/a.sig");
    recent.Add("/b.sig");
    recent.Add("/c.sig");
    EXPECT_EQ(recent.Items(), (Paths{"/c.sig", "/b.sig", "/a.sig"}));
    recent.Add("/a.sig");
    EXPECT_EQ(recent.Items(), (Paths{"/a.sig", "/c.sig", "/b.sig"})) << "no second entry";
    recent.Add("");
    EXPECT_EQ(recent.Items().size(), 3u);
}

TEST(RecentDocuments, KeepsTheEightNewest) {
    TRecentDocuments recent;
    for (int i = 1; i <= 11; ++i) recent.Add("/doc" + std::to_string(i) + ".sig");
    ASSERT_EQ(recent.Items().size(), 8u);
    EXPECT_EQ(recent.Items().front(), "/doc11.sig");
    EXPECT_EQ(recent.Items().back(), "/doc4.sig");
}

TEST(RecentDocuments, AStoredListIsCleanedAndCut) {
    Paths stored = {"/x.sig", "", "/y.sig", "/x.sig"};
    for (int i = 0; i < 10; ++i) stored.push_back("/more" + std::to_string(i) + ".sig");
    const TRecentDocuments recent(stored);
    ASSERT_EQ(recent.Items().size(), 8u);
    EXPECT_EQ(recent.Items()[0], "/x.sig");
    EXPECT_EQ(recent.Items()[1], "/y.sig");
    EXPECT_EQ(recent.Items()[2], "/more0.sig");
}

TEST(RecentDocuments, MissingEntriesCanBeRemovedOneOrAllAtOnce) {
    TRecentDocuments recent(Paths{"/here.sig", "/gone.sig", "/also-gone.sig", "/there.sig"});
    const std::set<std::string> existing = {"/here.sig", "/there.sig"};
    recent.Remove("/also-gone.sig");
    EXPECT_EQ(recent.Items(), (Paths{"/here.sig", "/gone.sig", "/there.sig"}));
    EXPECT_EQ(recent.RemoveMissing([&](const std::string& p) { return existing.count(p) > 0; }), 1);
    EXPECT_EQ(recent.Items(), (Paths{"/here.sig", "/there.sig"}));
}

class DocumentSignatureTest : public ::testing::TestWithParam<std::pair<std::string, bool>> {};

TEST_P(DocumentSignatureTest, OnlyTheDocumentsFirstBytesCount) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kvaril-probe-" + std::to_string(::getpid()) + ".sig"))
                                 .string();
    {
        std::ofstream out(path, std::ios::binary);
        out << GetParam().first;
    }
    EXPECT_EQ(HasDocumentSignature(path), GetParam().second);
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Heads, DocumentSignatureTest,
    ::testing::Values(std::make_pair(std::string("\x06\x06KVARIL\x02\x04", 10), true),
                      std::make_pair(std::string("\x06\x06KVARIL", 8), true),
                      std::make_pair(std::string("\x06\x06KVARI", 7), false),
                      std::make_pair(std::string("-----BEGIN PGP SIGNATURE-----"), false),
                      std::make_pair(std::string("\x06\x06kvaril", 8), false),
                      std::make_pair(std::string(), false)));

TEST(DocumentSignature, AFileThatCannotBeReadIsNoDocument) {
    EXPECT_FALSE(HasDocumentSignature("/nonexistent/kvaril/x.sig"));
    EXPECT_FALSE(HasDocumentSignature(std::filesystem::temp_directory_path().string()));
}

}  // namespace
}  // namespace kvaril
