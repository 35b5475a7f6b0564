#pragma once
// A throw-away ProgramDir for window tests: a fresh temp directory that holds copies of chosen
// data files from the source tree's data/ (KMT40_DATA_DIR, set by the test's CMakeLists) and any
// files the test writes itself. Removed with its contents at the end.
//
//   TempProgramDir dir({"Taal0.ini", "Parameters.txt"});
//   dir.Write("application.ini", "[Serieel]\nunit_no=12\n");
//   TFormMain form(dir.Path());
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#ifndef KMT40_DATA_DIR
#error "KMT40_DATA_DIR must name the source tree's data directory"
#endif

class TempProgramDir {
public:
    explicit TempProgramDir(const QStringList& dataFiles = {})
        : dir_(QDir::tempPath() + QStringLiteral("/kmt40-progdir-XXXXXX"))
    {
        for (const QString& name : dataFiles)
            Copy(name);
    }

    bool IsValid() const { return dir_.isValid(); }
    // With trailing separator, the form ProgramDir has.
    QString Path() const { return dir_.path() + QLatin1Char('/'); }
    QString File(const QString& name) const { return dir_.filePath(name); }

    // Copies data/<name> into the directory; false when the source file is missing.
    bool Copy(const QString& name) const
    {
        const QString source = QStringLiteral(KMT40_DATA_DIR) + QLatin1Char('/') + name;
        QFile::remove(File(name));
        return QFile::copy(source, File(name));
    }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(File(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    QByteArray Read(const QString& name) const
    {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool Remove(const QString& name) const { return QFile::remove(File(name)); }

private:
    QTemporaryDir dir_;
};
