#pragma once

#include <QString>

// Where the fixed Windows paths of the system live on this computer. On Windows they are used as
// written; elsewhere drive X: is the folder <root>/X, and each path component that does not exist
// as written resolves to the one entry that matches it without regard to case, because files made
// on Windows arrive as bomba01.dbf or SOLICITACAO.TXT.
class Drives {
public:
    // Drive X: is the folder root/X.
    explicit Drives(QString root);
    // Paths used as written, as on Windows; root is then only the folder of the program's own state.
    static Drives asWritten(QString root);
    // On Windows the paths as written; elsewhere the root named by AUTOQUORVAN_DRIVES, or the
    // user's data folder when it is unset.
    static Drives fromEnvironment();

    // The folder of the drive folders, and of the bridge's own state (its single-instance lock).
    const QString& root() const { return m_root; }
    // The folder that stands for a drive letter.
    QString driveFolder(QChar letter) const;
    // Maps a path as the system writes it ("C:\Automacao\Solicitacao.txt", an absolute POSIX path,
    // or a path relative to the current directory) to a local path.
    QString toLocal(const QString& path) const;

private:
    QString m_root;
    bool m_asWritten = false;
};
