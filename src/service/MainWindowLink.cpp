#include "MainWindowLink.h"

#include "service/PublishedValue.h"

namespace {

class NoWindow final : public MainWindowLink {
public:
    void RestartBalanceTimer() override {}
    void SetServerContactsVisible(bool) override {}
    void ShowServiceMessage() override {}
    void OfferRegistration() override {}
    void SetStatusText(const QString&) override {}
    void ShowBalloon(const QString&, const QString&, BalloonKind, int) override {}
    void EnableConnectTimeOutTimer() override {}
    void PlaySoundFile(const QString&) override {}
};

PublishedValue<std::shared_ptr<MainWindowLink>> g_link;

} // namespace

void MainWindowLink::install(std::shared_ptr<MainWindowLink> link) {
    g_link.set(std::move(link));
}

std::shared_ptr<MainWindowLink> MainWindowLink::current() {
    static const auto nowhere = std::make_shared<NoWindow>();
    auto link = g_link.get();
    return link ? link : nowhere;
}
