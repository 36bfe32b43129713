// Prints the size ("WxH", one line each) that a message box with an OK button
// takes on this X server for each text given. The black-box run tells which
// box the program shows by its size: a box's text cannot be read back, and a
// box sized by the same Qt, style and fonts for the same text is the same size.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        QMessageBox box;
        box.setText(QString::fromLocal8Bit(argv[i]));
        box.setStandardButtons(QMessageBox::Ok);
        box.show();
        QApplication::processEvents();
        std::printf("%dx%d\n", box.width(), box.height());
        std::fflush(stdout); // a sanitizer's report at exit ends the process without flushing
    }
    return 0;
}
