// The command-line file names of the program and how file names are matched.
#pragma once

#include <QString>
#include <QStringList>

namespace tavil {

// ASCII letters to upper case, every other character unchanged.
QString AsciiUpper(const QString& text);
// Equal after ASCII letters are converted to upper case.
bool SameNameAscii(const QString& a, const QString& b);

// Whether two paths name the same file: the same file-system object when both can be examined,
// otherwise equal after ASCII upper-casing. (On a file system that tells letter case apart,
// "Orders.qvx" and "ORDERS.QVX" are two files and must not be taken for one.)
bool SameFile(const QString& a, const QString& b);

// The first five arguments (the program's name excluded), each kept as given unless an earlier
// one equals it after ASCII upper-casing. Every argument is a file name; there are no switches.
QStringList CollectCommandLineFiles(const QStringList& arguments);

}  // namespace tavil
