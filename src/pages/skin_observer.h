// The skin-change broadcaster and its receivers. A broadcaster calls its
// receivers in the order they were added; a receiver knows the broadcasters
// it was added to and leaves them all when it goes, so a destroyed receiver
// is never called. Likewise a broadcaster that goes first is forgotten by
// its receivers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace pages {

template <typename R, typename P>
class ReceiverImplBase;

template <typename R, typename P>
class ObserverImplBase {
  public:
    virtual ~ObserverImplBase() = default;
    virtual void AddReceiver(ReceiverImplBase<R, P>* receiver) = 0;
    virtual void RemoveReceiver(ReceiverImplBase<R, P>* receiver) = 0;
    virtual R Broadcast(const P& param) = 0;
    virtual R Notify(const P& param) = 0;
};

template <typename R, typename P>
class ReceiverImplBase {
  public:
    virtual ~ReceiverImplBase() = default;
    virtual void AddObserver(ObserverImplBase<R, P>* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual R Receive(const P& param) = 0;
    virtual R Respond(const P& param, ObserverImplBase<R, P>* observer) = 0;
    // The broadcaster is going: forget it without calling it back.
    virtual void ForgetObserver(ObserverImplBase<R, P>* observer) = 0;
};

template <typename R, typename P>
class ObserverImpl : public ObserverImplBase<R, P> {
  public:
    ObserverImpl() = default;
    ObserverImpl(const ObserverImpl&) = delete;
    ObserverImpl& operator=(const ObserverImpl&) = delete;
    ~ObserverImpl() override {
        const std::vector<ReceiverImplBase<R, P>*> receivers = receivers_;
        receivers_.clear();
        for (ReceiverImplBase<R, P>* r : receivers)
            r->ForgetObserver(this);
    }

    void AddReceiver(ReceiverImplBase<R, P>* receiver) override {
        if (receiver == nullptr)
            return;
        receivers_.push_back(receiver);
        receiver->AddObserver(this);
    }
    void RemoveReceiver(ReceiverImplBase<R, P>* receiver) override {
        const auto it = std::find(receivers_.begin(), receivers_.end(), receiver);
        if (it != receivers_.end())
            receivers_.erase(it);
    }
    R Broadcast(const P& param) override {
        // A receiver may leave while it is called: walk a copy, and skip
        // those no longer listed.
        const std::vector<ReceiverImplBase<R, P>*> receivers = receivers_;
        for (ReceiverImplBase<R, P>* r : receivers) {
            if (std::find(receivers_.begin(), receivers_.end(), r) != receivers_.end())
                r->Receive(param);
        }
        return R{};
    }
    R Notify(const P& param) override {
        const std::vector<ReceiverImplBase<R, P>*> receivers = receivers_;
        for (ReceiverImplBase<R, P>* r : receivers) {
            if (std::find(receivers_.begin(), receivers_.end(), r) != receivers_.end())
                r->Respond(param, this);
        }
        return R{};
    }
    size_t ReceiverCount() const { return receivers_.size(); }

  private:
    std::vector<ReceiverImplBase<R, P>*> receivers_;
};

template <typename R, typename P>
class ReceiverImpl : public ReceiverImplBase<R, P> {
  public:
    ReceiverImpl() = default;
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;
    ~ReceiverImpl() override { RemoveObserver(); }

    void AddObserver(ObserverImplBase<R, P>* observer) override {
        if (observer != nullptr)
            observers_.push_back(observer);
    }
    void RemoveObserver() override {
        const std::vector<ObserverImplBase<R, P>*> observers = observers_;
        observers_.clear();
        for (ObserverImplBase<R, P>* o : observers)
            o->RemoveReceiver(this);
    }
    R Receive(const P&) override { return R{}; }
    R Respond(const P&, ObserverImplBase<R, P>*) override { return R{}; }
    void ForgetObserver(ObserverImplBase<R, P>* observer) override {
        observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                         observers_.end());
    }

  private:
    std::vector<ObserverImplBase<R, P>*> observers_;
};

// A skin change: a colour (useColor) or an image (a skin resource name or a
// file the user chose).
struct SkinChangedParam {
    bool useColor = false;
    uint32_t bkColor = 0;
    std::string bkImage;
};

using SkinObserver = ObserverImpl<int, SkinChangedParam>;
using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;

// The one process-wide skin-change broadcaster, made on first use.
SkinObserver& SkinChangeObserver();

// The panel's record of a background choice in "main.ini": section
// "SKINIMAGE", "FLAGS" and "IMAGE". False when it could not be written.
inline constexpr const char* kSkinIniName = "main.ini";
inline constexpr const char* kSkinResetImage = "common/background.png";
bool WriteSkinChoice(const std::string& iniPath, bool fromList, const std::string& image);
// "<user data folder>/main.ini"; empty when there is no user folder.
std::string SkinIniPath();

}  // namespace pages
