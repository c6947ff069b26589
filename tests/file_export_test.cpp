// The suffix an export's typed file name gets.
#include "file_export.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Case = std::pair<const char*, const char*>;  // the typed name, the file written

class WithSuffix : public ::testing::TestWithParam<std::pair<Case, const char*>> {};

TEST_P(WithSuffix, IsAddedUnlessTheNameEndsInIt) {
    const auto& [names, suffix] = GetParam();
    EXPECT_EQ(ui::withSuffix(QString::fromUtf8(names.first), QString::fromUtf8(suffix)),
              QString::fromUtf8(names.second));
}

INSTANTIATE_TEST_SUITE_P(
    Export, WithSuffix,
    ::testing::Values(std::pair{Case{"综合楼", "综合楼.pdf"}, "pdf"},
                      std::pair{Case{"综合楼方案1.2", "综合楼方案1.2.xlsx"}, "xlsx"},
                      std::pair{Case{"综合楼 v2.0", "综合楼 v2.0.pdf"}, "pdf"},
                      std::pair{Case{"综合楼二期1.5", "综合楼二期1.5.fep"}, "fep"},
                      std::pair{Case{"a.PDF", "a.PDF"}, "pdf"},
                      std::pair{Case{"a.pdf", "a.pdf.xlsx"}, "xlsx"},
                      std::pair{Case{"a.", "a.pdf"}, "pdf"}),
    [](const auto& p) { return std::to_string(p.index); });

}  // namespace
