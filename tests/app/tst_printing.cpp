// The print button when the print service hangs: the window goes on, and once the service is
// gone the user is told. The service is a socket that takes connections and never answers.
#include "app/application.h"
#include "app/tpll.h"
#include "window_fixture.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Listens on a Unix socket and never accepts: clients connect and wait for an answer.
class SilentService
{
public:
    explicit SilentService(const QString &path)
        : m_path(path.toLocal8Bit())
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (size_t(m_path.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, m_path.constData(), size_t(m_path.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (m_fd >= 0 && (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(m_fd, 16) != 0))
            stop();
    }
    ~SilentService() { stop(); }
    bool listening() const { return m_fd >= 0; }
    // Gone: waiting clients see the connection drop, new ones find nothing.
    void stop()
    {
        if (m_fd < 0)
            return;
        ::close(m_fd);
        ::unlink(m_path.constData());
        m_fd = -1;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
};
}

class TestPrinting : public QObject
{
    Q_OBJECT
    QTemporaryDir folder;
    QString servicePath;

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        PllApplication::applyLook();
        // The print library reads this once per thread: every test here uses the same path.
        servicePath = folder.filePath(QStringLiteral("print-service"));
        qputenv("CUPS_SERVER", servicePath.toLocal8Bit());
    }

    void aHungPrintServiceDoesNotStopTheWindow()
    {
        SilentService service(servicePath);
        QVERIFY(service.listening());
        std::unique_ptr<TPLL> w = openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        MessageBoxReader box;

        // Back here at all means the click did not wait for the service.
        User::click(*w, QStringLiteral("BitBtn1"));
        QTest::qWait(500);
        QVERIFY2(!w->control(QStringLiteral("BitBtn1"))->enabled, "the job ended although the service never answered");
        QVERIFY(box.text.isEmpty());

        service.stop();
        QTRY_VERIFY2_WITH_TIMEOUT(!box.text.isEmpty() && w->control(QStringLiteral("BitBtn1"))->enabled, "no box once the service was gone", 10000);
        QCOMPARE(box.text, QStringLiteral("Aucune imprimante par défaut n'est installée : la page ne peut pas être imprimée."));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
