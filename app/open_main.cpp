// quirefold-open: what the desktop starts. Given a folder, it opens Quirefold on it; given none
// (started from the menu), it first asks for one with the desktop's folder chooser, and Cancel
// ends it quietly. Either way it becomes Quirefold itself, so nothing of it is left running.
#include "core/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QByteArray folder;
    if (argc > 1) {
        folder = argv[1]; // passed on as it stands, as a file manager gives it
    } else {
        int qtArgc = 1;
        QApplication app(qtArgc, argv);
        qf::InstallTranslations();
        const QString chosen = QFileDialog::getExistingDirectory(
            nullptr, QCoreApplication::translate("Window", "Open a folder with Quirefold"),
            QDir::homePath());
        if (chosen.isEmpty())
            return 0;
        folder = QFile::encodeName(chosen);
    }
    // Beside this program, as installed and as built.
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    QByteArray program = "quirefold";
    if (length > 0) {
        self[length] = '\0';
        program =
            QFile::encodeName(QFileInfo(QFile::decodeName(self)).absolutePath()) + "/quirefold";
    }
    char *const arguments[] = {program.data(), folder.data(), nullptr};
    ::execv(program.constData(), arguments);
    std::fprintf(stderr, "quirefold-open: %s: %s\n", program.constData(), std::strerror(errno));
    return 1;
}
