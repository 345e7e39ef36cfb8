// In the lab, with interfaces and a resolver set up by window_lab.sh: what the window's
// "Local PC information:" group shows agrees with `ip` and with /etc/resolv.conf. It runs only
// under scripts/netlab, and its window sends to loopback.

#include "MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

using namespace ondrel;

namespace {

std::string Run(const char* command) {
    QStringList words = QProcess::splitCommand(QString::fromLatin1(command));
    QProcess process;
    process.start(words.takeFirst(), words);
    if (!process.waitForFinished(5000)) {
        return {};
    }
    return process.readAllStandardOutput().toStdString();
}

QString MaskOf(int prefix) {
    const quint32 mask = prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(mask >> 24)
        .arg((mask >> 16) & 0xFF)
        .arg((mask >> 8) & 0xFF)
        .arg(mask & 0xFF);
}

struct Expected {
    QString name;
    QStringList addresses;
    QString mask = QStringLiteral("0.0.0.0");
    QString gateway = QStringLiteral("0.0.0.0");
};

// The links in index order, with their addresses and default gateways, as `ip` reports them.
std::vector<Expected> FromIp() {
    std::vector<Expected> links;
    std::map<QString, std::size_t> byName;
    const QStringList linkLines = QString::fromStdString(Run("ip -o link show")).split('\n');
    const QRegularExpression linkRe(QStringLiteral("^(\\d+): ([^:@]+)[@:]"));
    for (const QString& line : linkLines) {
        const auto m = linkRe.match(line);
        if (m.hasMatch() && m.captured(2) != QLatin1String("lo")) {
            byName[m.captured(2)] = links.size();
            links.push_back(Expected{m.captured(2), {}, {}, {}});
            links.back().mask = QStringLiteral("0.0.0.0");
            links.back().gateway = QStringLiteral("0.0.0.0");
        }
    }
    const QRegularExpression addrRe(
        QStringLiteral("^\\d+: (\\S+)\\s+inet (\\d+\\.\\d+\\.\\d+\\.\\d+)/(\\d+)"));
    for (const QString& line : QString::fromStdString(Run("ip -o -4 addr show")).split('\n')) {
        const auto m = addrRe.match(line);
        if (!m.hasMatch() || byName.count(m.captured(1)) == 0) {
            continue;
        }
        Expected& e = links[byName[m.captured(1)]];
        if (e.addresses.isEmpty()) {
            e.mask = MaskOf(m.captured(3).toInt());
        }
        e.addresses << m.captured(2);
    }
    const QRegularExpression routeRe(QStringLiteral("^default via (\\S+) dev (\\S+)"));
    for (const QString& line :
         QString::fromStdString(Run("ip -4 route show default")).split('\n')) {
        const auto m = routeRe.match(line);
        if (m.hasMatch() && byName.count(m.captured(2)) != 0) {
            Expected& e = links[byName[m.captured(2)]];
            if (e.gateway == QLatin1String("0.0.0.0")) {
                e.gateway = m.captured(1);
            }
        }
    }
    return links;
}

QStringList Nameservers() {
    QStringList servers;
    std::ifstream in("/etc/resolv.conf");
    std::string keyword;
    std::string value;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        if (words >> keyword >> value && keyword == "nameserver") {
            servers << QString::fromStdString(value);
        }
    }
    return servers;
}

QString Field(const MainWindow& window, const char* name) {
    return window.findChild<QLineEdit*>(QLatin1String(name))->text();
}

} // namespace

TEST(WindowLab, AdaptersAgreeWithIpAndTheResolver) {
    const std::vector<Expected> links = FromIp();
    const QStringList servers = Nameservers();
    // What window_lab.sh set up, so that every rule has something to act on.
    ASSERT_GE(links.size(), 4u);
    ASSERT_EQ(servers, (QStringList{"10.88.0.53", "10.88.0.54", "10.88.0.55"}));

    DialogDeps deps;
    deps.endpoint.bindAddress = "127.0.0.1";
    deps.endpoint.bindPort = 0;
    deps.endpoint.destAddress = "127.0.0.1";
    deps.endpoint.destPort = 9;
    MainWindow dialog(QStringLiteral("lab"), deps);
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("adapterCombo"));
    ASSERT_EQ(list->count(), static_cast<int>(links.size()));

    int wantDefault = -1;
    bool skippedOne = false;
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Expected& e = links[i];
        const QString first = e.addresses.value(0, QStringLiteral("0.0.0.0"));
        if (wantDefault < 0 && !first.startsWith('0') &&
            e.mask != QLatin1String("255.255.255.255")) {
            wantDefault = static_cast<int>(i);
        } else if (wantDefault < 0) {
            skippedOne = true;
        }
    }
    EXPECT_TRUE(skippedOne) << "the lab should put a host-mask or disconnected link first";
    EXPECT_EQ(list->currentIndex(), wantDefault);

    for (int i = 0; i < list->count(); ++i) {
        const Expected& e = links[static_cast<std::size_t>(i)];
        SCOPED_TRACE(e.name.toStdString());
        EXPECT_TRUE(list->itemText(i) == e.name || list->itemText(i).startsWith(e.name + " ("));
        list->setCurrentIndex(i);
        const QString ips = e.addresses.isEmpty() ? QStringLiteral("0.0.0.0")
                                                  : e.addresses.join(QStringLiteral("\r\n"));
        EXPECT_EQ(Field(dialog, "pcIpEdit"), ips);
        EXPECT_EQ(Field(dialog, "pcMaskEdit"), e.mask);
        EXPECT_EQ(Field(dialog, "pcGatewayEdit"), e.gateway);
        EXPECT_EQ(Field(dialog, "pcDns1Edit"), servers[0]);
        EXPECT_EQ(Field(dialog, "pcDns2Edit"), servers[1]);
    }
}

namespace {

bool TitleChannelListed() {
    QFile unixSockets(QStringLiteral("/proc/net/unix"));
    if (!unixSockets.open(QIODevice::ReadOnly)) {
        return false;
    }
    return unixSockets.readAll().contains("@ondrel.");
}

} // namespace

TEST(WindowLab, SecondCopyLeavesAtOnceAndTheFirstRunsOn) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The program's settings go to a place of the test's own, never the user's.
    QTemporaryDir config;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(ONDREL_APP_PATH), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    QElapsedTimer clock;
    clock.start();
    while (!TitleChannelListed() && clock.elapsed() < 5000) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(TitleChannelListed());

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(ONDREL_APP_PATH), {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    if (!first.waitForFinished(3000)) {
        first.kill();
        first.waitForFinished(3000);
    }
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
