// Each kind of upload is counted at its own resource of the product site.
#include <gtest/gtest.h>

#include <string>

#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "upload/statistics_ping.h"

namespace {

class StatisticsPingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        SetStatisticsBaseUrl(DevService::BaseUrl().c_str());
    }
    void TearDown() override { SetStatisticsBaseUrl(nullptr); }
};

TEST_F(StatisticsPingTest, EachKindReachesItsOwnPath) {
    EXPECT_TRUE(PingStatistics(UploadKind::File));
    EXPECT_TRUE(PingStatistics(UploadKind::Folder));
    EXPECT_TRUE(PingStatistics(UploadKind::Capture));
    const auto log = DevService::Requests();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("/stats/u/f", log[0].target);
    EXPECT_EQ("/stats/u/d", log[1].target);
    EXPECT_EQ("/stats/u/s", log[2].target);
    for (const auto& request : log) {
        EXPECT_EQ("GET", request.method);
        EXPECT_EQ(200, request.status);
    }
}

TEST_F(StatisticsPingTest, AnUnreachableSiteIsAResultNotAHang) {
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/stats/u/s"})"));
    EXPECT_FALSE(PingStatistics(UploadKind::Capture));
    SetStatisticsBaseUrl("http://127.0.0.1:1");
    EXPECT_FALSE(PingStatistics(UploadKind::File));
}

}  // namespace
