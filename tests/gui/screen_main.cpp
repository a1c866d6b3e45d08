// The main of the screen tests: the offscreen platform given a laptop's
// screen, 1366 x 768, at the scale in ORBILAN_TEST_SCALE (1 when unset), as
// a user with QT_SCALE_FACTOR set would have it.
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
                        "logicalDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QDir::toNativeSeparators(config).toLocal8Bit());
    const QByteArray scale = qgetenv("ORBILAN_TEST_SCALE");
    qputenv("QT_SCALE_FACTOR", scale.isEmpty() ? QByteArray("1") : scale);

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orbilan"));
    QApplication::setApplicationName(QStringLiteral("Orbilan"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.filePath(QStringLiteral("settings")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
