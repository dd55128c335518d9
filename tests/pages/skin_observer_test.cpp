// The skin-change broadcaster and the record of a background choice.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/skin_observer.h"
#include "support/temp_dir.h"

namespace {

using pages::SkinChangedParam;

class Recorder : public pages::SkinReceiver {
  public:
    Recorder(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    int Receive(const SkinChangedParam& p) override {
        log_.push_back(name_ + ":" + p.bkImage);
        if (onReceive)
            onReceive();
        return 1;
    }
    std::function<void()> onReceive;

  private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(SkinObserver, CallsReceiversInTheOrderAdded) {
    std::vector<std::string> log;
    pages::SkinObserver observer;
    Recorder a(log, "a"), b(log, "b"), c(log, "c");
    observer.AddReceiver(&b);
    observer.AddReceiver(nullptr);  // ignored
    observer.AddReceiver(&a);
    observer.AddReceiver(&c);
    EXPECT_EQ(observer.ReceiverCount(), 3u);
    EXPECT_EQ(observer.Broadcast({false, 0, "x.png"}), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"b:x.png", "a:x.png", "c:x.png"}));
}

TEST(SkinObserver, DestroyedReceiverIsNeverCalled) {
    std::vector<std::string> log;
    pages::SkinObserver observer;
    Recorder keep(log, "keep");
    {
        Recorder gone(log, "gone");
        observer.AddReceiver(&gone);
        observer.AddReceiver(&keep);
    }
    EXPECT_EQ(observer.ReceiverCount(), 1u);
    observer.Broadcast({true, 0xFF112233, ""});
    EXPECT_EQ(log, (std::vector<std::string>{"keep:"}));
}

TEST(SkinObserver, ReceiverDestroyedDuringBroadcastIsSkipped) {
    std::vector<std::string> log;
    pages::SkinObserver observer;
    Recorder first(log, "first");
    auto second = std::make_unique<Recorder>(log, "second");
    observer.AddReceiver(&first);
    observer.AddReceiver(second.get());
    first.onReceive = [&second] { second.reset(); };
    observer.Broadcast({false, 0, "y"});
    EXPECT_EQ(log, (std::vector<std::string>{"first:y"}));
}

TEST(SkinObserver, ObserverGoingFirstIsForgotten) {
    std::vector<std::string> log;
    Recorder r(log, "r");
    {
        pages::SkinObserver observer;
        observer.AddReceiver(&r);
    }
    r.RemoveObserver();  // must not touch the gone observer
    SUCCEED();
}

TEST(SkinObserver, OneProcessWideObserver) {
    EXPECT_EQ(&pages::SkinChangeObserver(), &pages::SkinChangeObserver());
}

TEST(SkinChoice, WritesFlagsAndImageAndKeepsTheRest) {
    testing_support::TempDir dir;
    const std::string ini = dir.File("main.ini");
    testing_support::WriteAll(ini,
                              "; own note\r\n[OTHER]\r\nA=1\r\n[SKINIMAGE]\r\nKEEP=yes\r\n"
                              "FLAGS=1\r\n");
    ASSERT_TRUE(pages::WriteSkinChoice(ini, false, pages::kSkinResetImage));
    const std::string text = testing_support::ReadAll(ini);
    EXPECT_NE(text.find("; own note"), std::string::npos);
    EXPECT_NE(text.find("A=1"), std::string::npos);
    EXPECT_NE(text.find("KEEP=yes"), std::string::npos);
    EXPECT_NE(text.find("FLAGS=0"), std::string::npos);
    EXPECT_EQ(text.find("FLAGS=1"), std::string::npos);
    EXPECT_NE(text.find("IMAGE=common/background.png"), std::string::npos);
}

TEST(SkinChoice, ImageThatWouldBreakTheFileIsRefused) {
    testing_support::TempDir dir;
    const std::string ini = dir.File("main.ini");
    EXPECT_FALSE(pages::WriteSkinChoice(ini, true, "a.png\r\n[EVIL]\r\nX=1"));
    EXPECT_EQ(testing_support::ReadAll(ini).find("EVIL"), std::string::npos);
    EXPECT_FALSE(pages::WriteSkinChoice("", true, "a.png"));
}

}  // namespace
