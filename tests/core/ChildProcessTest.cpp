#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <thread>

#include "workbooks/ChildProcess.h"

using namespace orvane;
using namespace std::chrono_literals;

namespace {

using Arguments = std::vector<std::string>;

const ChildTask kAnswer("test-answer", [](const Arguments& arguments, ChildOutput& output) {
    output.WriteNumber(7);
    output.WriteText(arguments.at(0));
    output.WriteText(std::string(3u << 20, 'x'));  // more than one flush
});
const ChildTask kCrash("test-crash", [](const Arguments&, ChildOutput&) { std::raise(SIGKILL); });
const ChildTask kThrow("test-throw",
                       [](const Arguments&, ChildOutput&) { throw std::runtime_error("x"); });
const ChildTask kHang("test-hang", [](const Arguments&, ChildOutput& output) {
    output.WriteNumber(1);
    output.Flush();
    std::this_thread::sleep_for(60s);
});

}  // namespace

TEST(RunInChildProcess, PassesTheChildsAnswerBack) {
    const auto answer = RunInChildProcess(kAnswer, {"站名"}, 10s);
    ASSERT_TRUE(answer);
    ChildAnswer reader(*answer);
    EXPECT_EQ(reader.ReadNumber(), 7u);
    EXPECT_EQ(reader.ReadText(), "站名");
    EXPECT_EQ(reader.ReadText()->size(), 3u << 20);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.ReadNumber());
    EXPECT_FALSE(reader.ReadText());
}

TEST(RunInChildProcess, GivesNothingWhenTheChildFails) {
    // A crash, an exception and an overrun of the time limit all end the same way.
    EXPECT_FALSE(RunInChildProcess(kCrash, {}, 10s));
    EXPECT_FALSE(RunInChildProcess(kThrow, {}, 10s));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunInChildProcess(kHang, {}, 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST(RunChildTaskIfAsked, LeavesAProgramThatIsNoChildAlone) {
    EXPECT_FALSE(RunChildTaskIfAsked({"orvane-convert", "bs", "a.xls"}));
    EXPECT_FALSE(RunChildTaskIfAsked({"orvane-convert"}));
}

TEST(ChildAnswer, RefusesATextLongerThanWhatIsLeft) {
    std::string bytes(4, '\0');
    bytes[0] = 100;  // claims 100 bytes, holds 3
    bytes += "abc";
    ChildAnswer reader(bytes);
    EXPECT_FALSE(reader.ReadText());
}
