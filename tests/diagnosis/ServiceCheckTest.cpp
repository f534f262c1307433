#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "diagnosis/ServiceCheckThread.h"
#include "diagnosis/ServiceCheckWorker.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeInternet.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

// Notes what the worker has published at the moment the probe opens its session.
class ObservingInternet final : public Internet {
 public:
  ObservingInternet(const FakeInternet& inner, const CheckConfig& config)
      : inner_(inner), config_(config) {}

  std::unique_ptr<InternetSession> OpenSession() const override {
    doneWhileProbing = config_.serviceDone.load();
    return inner_.OpenSession();
  }

  mutable std::optional<bool> doneWhileProbing;

 private:
  const FakeInternet& inner_;
  const CheckConfig& config_;
};

class ServiceCheckWorkerTest : public testing::Test {
 protected:
  void Run(std::vector<std::string> urls) {
    ConfigGroup group{.type = "service"};
    for (std::string& url : urls) {
      group.entries.push_back(ConfigEntry{.text = std::move(url)});
    }
    config.groups = {std::move(group)};
    Run();
  }

  void Run() {
    config.serviceDone = false;
    ServiceCheckWorker(config, observing, codePages);
  }

  std::vector<std::u16string> Opened() const {
    std::vector<std::u16string> urls;
    for (const FakeInternet::OpenedRequest& request : internet.log().opened) {
      urls.push_back(request.url);
    }
    return urls;
  }

  CheckConfig config;
  FakeInternet internet;
  ObservingInternet observing{internet, config};
  FakeCodePages codePages;
};

TEST_F(ServiceCheckWorkerTest, WithoutTheGroupTheServiceCountsAsReachable) {
  config.groups = {ConfigGroup{.type = "dns"}};
  Run();
  EXPECT_TRUE(config.serviceOk);
  EXPECT_TRUE(config.serviceDone);
  EXPECT_EQ(internet.log().sessionsOpened, 0);
}

TEST_F(ServiceCheckWorkerTest, ProbesEveryUrlInUtf16AndPublishesTheResultBeforeDone) {
  internet.responses[u"https://\u94F6\u884C.test/"] = FakeResponse::WithStatus(404, "");
  internet.responses[u"https://ebank.test/login"] = FakeResponse::Ok("ok");
  config.serviceOk = false;
  Run({"https://\xE9\x93\xB6\xE8\xA1\x8C.test/", "https://ebank.test/login"});
  EXPECT_TRUE(config.serviceOk);
  EXPECT_TRUE(config.serviceDone);
  EXPECT_EQ(observing.doneWhileProbing, false) << "done is published only after the probe";
  EXPECT_THAT(Opened(), ElementsAre(u"https://\u94F6\u884C.test/", u"https://ebank.test/login"));
}

TEST_F(ServiceCheckWorkerTest, OneUnreachableUrlFailsTheItem) {
  internet.responses[u"https://a.test/"] = FakeResponse::Ok("a");
  config.serviceOk = true;
  Run({"https://a.test/", "https://refused.test/", "https://a.test/"});
  EXPECT_FALSE(config.serviceOk);
  EXPECT_TRUE(config.serviceDone);
  EXPECT_THAT(Opened(), ElementsAre(u"https://a.test/", u"https://refused.test/"));
}

TEST_F(ServiceCheckWorkerTest, AnEmptyGroupPassesOnlyWhenTheInternetFunctionsOpen) {
  Run({});
  EXPECT_TRUE(config.serviceOk);
  internet.failOpenSession = true;
  Run({});
  EXPECT_FALSE(config.serviceOk);
  EXPECT_TRUE(config.serviceDone);
}

// A body that runs until the test releases it.
class HeldBody {
 public:
  void operator()() {
    ++runs;
    released.wait();
  }
  std::atomic<int> runs{0};
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
};

void WaitFor(const std::atomic<int>& runs, int count) {
  for (int spin = 0; spin < 5000 && runs.load() < count; ++spin) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST(ServiceCheckThreadTest, RunsTheWorkerWhoseFlagsTheGuiThreadPolls) {
  CheckConfig config;
  config.groups = {ConfigGroup{.type = "service"}};
  FakeInternet internet;
  FakeCodePages codePages;
  ServiceCheckThread thread([&] { ServiceCheckWorker(config, internet, codePages); });
  ASSERT_TRUE(thread.Start());
  for (int spin = 0; spin < 5000 && !config.serviceDone.load(std::memory_order_acquire); ++spin) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(config.serviceDone.load(std::memory_order_acquire));
  EXPECT_TRUE(config.serviceOk.load(std::memory_order_acquire));
}

TEST(ServiceCheckThreadTest, RefusesASecondRunWhileTheFirstGoesOnAndJoinsItAfterwards) {
  auto body = std::make_shared<HeldBody>();
  {
    ServiceCheckThread thread([body] { (*body)(); });
    ASSERT_TRUE(thread.Start());
    WaitFor(body->runs, 1);
    EXPECT_FALSE(thread.Start()) << "the first run has not ended";
    body->release.set_value();
    // The earlier thread is joined before the next starts; the next body returns at once
    // because the promise is already set.
    bool started = false;
    for (int spin = 0; spin < 5000 && !(started = thread.Start()); ++spin) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(started);
  }
  EXPECT_EQ(body->runs.load(), 2) << "destruction waits for the running body";
}

}  // namespace
}  // namespace tessaly
