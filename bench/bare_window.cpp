// The yardstick of the start-up check: a bare Qt Widgets window that shows
// one line of Japanese text, started like the program and measured the same
// way (bench/startup_check.sh).
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("ドライブの S.M.A.R.T. 情報を読み取ります"));
    label.setWindowTitle(QStringLiteral("Quillmoor"));
    label.show();
    return QApplication::exec();
}
