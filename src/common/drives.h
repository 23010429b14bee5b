#pragma once

#include <QString>

// Where the fixed Windows paths of the system live on this computer. On Windows they are used as
// written; elsewhere drive X: is the folder <root>/X, and each path component that does not exist
// as written resolves to the one entry that matches it without regard to case, because files made
// on Windows arrive as bomba01.dbf or SOLICITACAO.TXT.
class Drives {
public:
    explicit Drives(QString root);
    // The root named by AUTOQUORVAN_DRIVES, or the user's data folder when it is unset.
    static Drives fromEnvironment();

    const QString& root() const { return m_root; }
    // The folder that stands for a drive letter.
    QString driveFolder(QChar letter) const;
    // Maps a path as the system writes it ("C:\Automacao\Solicitacao.txt", an absolute POSIX path,
    // or a path relative to the current directory) to a local path.
    QString toLocal(const QString& path) const;

private:
    QString m_root;
};
