#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

#include <vector>

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;

public slots:
    void handle(const QUrl& url) { urls.push_back(url); }
};

TEST(DesktopShell, handsTheAddressToTheDesktopUnchangedAndReturns)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "handle");

    DesktopShell shell;
    shell.openUrl("https://quillon.example.com/info?lang=ja#top");
    QDesktopServices::unsetUrlHandler("https");

    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls.front().toString(), "https://quillon.example.com/info?lang=ja#top");
}

} // namespace

#include "DesktopShellTest.moc"
