// The desktop's notification area: tooltips that are shown literally whatever
// a drive calls itself, pictures and tooltips handed over only when they
// change, and the clicks and the context menu of every icon.
#include <QtTest>

#include <QMenu>
#include <QSignalSpy>

#include <QTextDocument>

#include "monitor/qt_notification_area.h"

namespace qm {

namespace {

// A document that counts every resource (picture, style sheet) it would load.
class CountingDocument final : public QTextDocument {
public:
    int loads = 0;

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        ++loads;
        return QTextDocument::loadResource(type, name);
    }
};

// What a reader sees of rich text: its lines, as plain text.
QString ShownText(CountingDocument& document, const QString& html) {
    document.setHtml(html);
    (void)document.size();  // lays the text out, as a tooltip does
    return document.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
}

TrayIconRecord Record(DriveSlot slot, int temperature, const std::string& letters = "/ /home") {
    return {slot, temperature, 101 + temperature,
            "型式：QM-HD1000A\r\nドライブレター：" + letters + "\r\n現在の温度：" + std::to_string(temperature) + "℃"};
}

}  // namespace

class QtNotificationAreaTest : public QObject {
    Q_OBJECT
private slots:
    void tooltipsAreShownLiterally_data() {
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("shown");
        QTest::newRow("picture of an endless file") << "型式：<img src=/dev/zero>\r\n現在の温度：41℃"
                                                    << "型式：<img src=/dev/zero>\n現在の温度：41℃";
        QTest::newRow("picture of a local file") << "型式：<img src=\"file:///etc/passwd\">"
                                                 << "型式：<img src=\"file:///etc/passwd\">";
        QTest::newRow("style sheet") << "<link rel=stylesheet href=/etc/passwd>x" << "<link rel=stylesheet href=/etc/passwd>x";
        QTest::newRow("tags and entities") << "<b>R&amp;D</b> &lt;x&gt;" << "<b>R&amp;D</b> &lt;x&gt;";
        QTest::newRow("blanks and lone breaks") << "a  b\rc\nd" << "a  b\nc\nd";
        QTest::newRow("plain") << "型式：QM-HD1000A\r\nドライブレター：/ /home\r\n現在の温度：41℃"
                               << "型式：QM-HD1000A\nドライブレター：/ /home\n現在の温度：41℃";
    }
    void tooltipsAreShownLiterally() {
        QFETCH(QString, tip);
        QFETCH(QString, shown);
        const QString html = TrayTooltipHtml(tip.toStdString());
        // Always rich text, so nothing in the tip decides the format.
        QVERIFY(Qt::mightBeRichText(html));
        CountingDocument document;
        QCOMPARE(ShownText(document, html), shown);
        QCOMPARE(document.loads, 0);
    }

    void theTooltipsRawTextWouldLoadFiles() {
        // The fault the escaping prevents: the same text taken as HTML.
        CountingDocument document;
        ShownText(document, QStringLiteral("型式：<img src=/nonexistent/quillmoor-picture>"));
        QVERIFY(document.loads > 0);
    }

    void iconsGetOnlyWhatChanged() {
        QtNotificationArea area(TrayAvailability::Assumed);
        QVERIFY(area.AddIcon(Record(0, 41)));
        QSystemTrayIcon* icon = area.Icon(0);
        QVERIFY(icon != nullptr);
        QCOMPARE(icon->toolTip(), TrayTooltipHtml(Record(0, 41).tip));
        QCOMPARE(icon->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 IconResourceImage(142)->convertToFormat(QImage::Format_ARGB32_Premultiplied));
        QCOMPARE(area.DesktopUpdates(), 2);
        QCOMPARE(area.Pictures().DrawCount(), 1);

        // Monitoring passes with nothing new hand nothing to the desktop.
        for (int pass = 0; pass < 5; ++pass) QVERIFY(area.ModifyIcon(Record(0, 41)));
        QCOMPARE(area.DesktopUpdates(), 2);
        // A new temperature: picture and tooltip.
        QVERIFY(area.ModifyIcon(Record(0, 42)));
        QCOMPARE(area.DesktopUpdates(), 4);
        QCOMPARE(icon->toolTip(), TrayTooltipHtml(Record(0, 42).tip));
        // New letters only: the tooltip alone.
        QVERIFY(area.ModifyIcon(Record(0, 42, "/data")));
        QCOMPARE(area.DesktopUpdates(), 5);
        QCOMPARE(icon->toolTip(), TrayTooltipHtml(Record(0, 42, "/data").tip));
        // Back to a temperature drawn before: the picture comes from the cache.
        QVERIFY(area.ModifyIcon(Record(0, 41, "/data")));
        QCOMPARE(area.Pictures().DrawCount(), 2);
        QVERIFY(area.AddIcon(Record(3, 42)));
        QCOMPARE(area.Pictures().DrawCount(), 2);

        // A removed icon comes back whole.
        const int before = area.DesktopUpdates();
        QVERIFY(area.DeleteIcon(0));
        QVERIFY(area.Icon(0) == nullptr);
        QVERIFY(!area.ModifyIcon(Record(0, 41)));
        QVERIFY(area.AddIcon(Record(0, 41)));
        QCOMPARE(area.DesktopUpdates(), before + 2);
        QCOMPARE(area.Icon(0)->toolTip(), TrayTooltipHtml(Record(0, 41).tip));
    }

    void oneIconPerSlot() {
        QtNotificationArea area(TrayAvailability::Assumed);
        QVERIFY(area.AddIcon(Record(15, 30)));
        QVERIFY(!area.AddIcon(Record(15, 31)));
        QVERIFY(!area.AddIcon(Record(16, 30)));
        QVERIFY(!area.AddIcon(Record(-1, 30)));
        QVERIFY(!area.DeleteIcon(16));
        QVERIFY(area.Icon(16) == nullptr);
        QVERIFY(area.DeleteIcon(15));
        QVERIFY(!area.DeleteIcon(15));
    }

    // The balloon that carries an alert without a notification service: on
    // the drive's icon or any other shown, never without one.
    void aBalloonNeedsAnIconToCarryIt() {
        QtNotificationArea area(TrayAvailability::Assumed);
        QVERIFY(!area.ShowMessage(2, "温度が高くなっています", "QM-HD2000C", false));
        QVERIFY(area.AddIcon(Record(4, 59)));
        QVERIFY(area.ShowMessage(2, "温度が高くなっています", "QM-HD2000C", false));
        QVERIFY(area.DeleteIcon(4));
        QVERIFY(!area.ShowMessage(4, "温度が高くなっています", "QM-HD2000C", true));
    }

    void aDesktopWithoutNotificationAreaRefusesIcons() {
        if (QSystemTrayIcon::isSystemTrayAvailable()) QSKIP("this desktop has a notification area");
        QtNotificationArea area;
        QVERIFY(!area.AddIcon(Record(0, 41)));
        QVERIFY(area.Icon(0) == nullptr);
    }

    void everyIconReportsItsClicksAndOpensTheSameMenu() {
        QtNotificationArea area(TrayAvailability::Assumed);
        QMenu popup;
        area.SetContextMenu(&popup);
        QVERIFY(area.AddIcon(Record(2, 41)));
        QVERIFY(area.AddIcon(Record(5, 30)));
        QSignalSpy activated(&area, &QtNotificationArea::activated);
        emit area.Icon(2)->activated(QSystemTrayIcon::Trigger);
        emit area.Icon(5)->activated(QSystemTrayIcon::Context);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(activated.at(0).at(0).value<QSystemTrayIcon::ActivationReason>(), QSystemTrayIcon::Trigger);
        QCOMPARE(area.Icon(2)->contextMenu(), &popup);
        QCOMPARE(area.Icon(5)->contextMenu(), &popup);
    }
};

}  // namespace qm

QTEST_MAIN(qm::QtNotificationAreaTest)
#include "qt_notification_area_test.moc"
