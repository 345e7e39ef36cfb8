// A burst of 10,000 replies into the receive buffer a stock desktop grants an unprivileged
// program (net.core.rmem_max 212,992 bytes, which the lab reproduces through ONDREL_RCVBUF):
// a search is honest about what it lost, and --rounds searches again until no device is
// missing, so that the list is whole. Every device is always either listed or counted.

#include "cli_lab.h"

using namespace ondrel;
using namespace ondrel::lab;

namespace {

using Json = nlohmann::json;

constexpr std::size_t kBurst = 10000;
// Each round takes a random part of the burst off the socket. A sanitizer's build drains several
// times more slowly, so it needs more rounds for the same list; the CLI stops once it is whole.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kRounds = 60;
#else
constexpr int kRounds = 20;
#endif
const std::vector<std::string> kStockBuffer = {"ONDREL_RCVBUF=212992"};

// "N replies were lost: ..." on standard error: N, or 0 when there is no such line.
std::size_t LostReported(const std::string& err) {
    const std::string tail = " replies were lost: the receive buffer was full. Search again, or "
                             "raise net.core.rmem_max";
    const std::size_t at = err.find(tail);
    if (at == std::string::npos) {
        return 0;
    }
    const std::size_t start = err.rfind(": ", at);
    return std::stoul(err.substr(start + 2, at - start - 2));
}

std::set<std::string> Macs(const Json& list) {
    std::set<std::string> macs;
    for (const Json& d : list) {
        macs.insert(d.at("Mac").get<std::string>());
    }
    return macs;
}

class CliBurst : public CliLab {
protected:
    void SetUp() override {
        CliLab::SetUp();
        ASSERT_EQ(sim.Start({"--burst", std::to_string(kBurst)}, 30s), "");
    }
};

} // namespace

TEST_F(CliBurst, OneSearchReportsExactlyWhatItLost) {
    const CliRun run = RunCli({"search", "--wait", "2", "--format", "json"}, "", kStockBuffer);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json list = Json::parse(run.out);
    ASSERT_TRUE(list.is_array()) << "the output stays a plain list";
    const std::size_t lost = LostReported(run.err);
    // Every reply is either listed or counted as lost.
    EXPECT_EQ(list.size() + lost, kBurst) << run.err;
    if (lost == 0) {
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliBurst, RoundsListEveryDevice) {
    const CliRun run =
        RunCli({"search", "--rounds", std::to_string(kRounds), "--wait", "2", "--format", "json"},
               "", kStockBuffer, 200s);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json list = Json::parse(run.out);
    ASSERT_TRUE(list.is_array());
    EXPECT_EQ(list.size(), kBurst) << run.err;
    EXPECT_EQ(Macs(list).size(), list.size()) << "each device once, whatever round it came in";
    EXPECT_EQ(run.err, "");
}

TEST_F(CliBurst, RoundsThatRunOutCountWhatIsStillMissing) {
    const CliRun run = RunCli({"search", "--rounds", "2", "--wait", "2", "--format", "json"}, "",
                              kStockBuffer, 60s);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json list = Json::parse(run.out);
    EXPECT_EQ(list.size() + LostReported(run.err), kBurst) << run.err;
    // A second round goes out only when the first left devices missing.
    const std::size_t searches = sim.LogOfKind("search").size();
    EXPECT_LE(searches, 2u);
    EXPECT_TRUE(searches == 2 || list.size() == kBurst) << searches << " searches";
}

TEST_F(CliBurst, ADeviceNotFoundMayBeAmongTheLostReplies) {
    const CliRun run =
        RunCli({"url", "--mac", "02:00:00:00:00:99", "--wait", "2"}, "", kStockBuffer, 60s);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    // "... answered the search (N other devices did)"
    const std::size_t at = run.err.find("answered the search (");
    ASSERT_NE(at, std::string::npos) << run.err;
    const std::size_t others = std::stoul(run.err.substr(at + 21));
    EXPECT_EQ(others + LostReported(run.err), kBurst) << run.err;
}
