#pragma once

#include <QStringList>
#include <QTextStream>

// "zexctl brand ...": checks, signs and edits brand files for whoever delivers the program under
// another brand.
//
//   brand verify [FILE]                        loads the file as the program would (without FILE:
//                                              the brand file the program uses)
//   brand sign FILE                            recomputes "MD5Hash" over the "Data" section
//   brand set FILE KEY VALUE                   sets one identity text, number or colour
//   brand logo FILE Logo|LogoSmall IMAGE       stores an image file as a logo
//
// `set` and `logo` keep a file that verified before verifying (they re-sign it); a file that did
// not verify is changed but left unsigned, for the user to check and sign.
// Exit codes: 0 done; 1 the operation failed (file missing, unreadable or unwritable, verification
// failed, a value or picture in the file that cannot be used); 2 the command was wrong (unknown
// sub-command, missing arguments, unknown key, a value of the wrong form).
namespace BrandCommands {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// args are the words after "zexctl"; a leading "brand" is optional.
int run(const QStringList& args, QTextStream& out, QTextStream& err);
// The same, with the folder where "brand verify" without FILE looks for the program's brand file.
int run(const QStringList& args, QTextStream& out, QTextStream& err, const QString& resourceFolder);

} // namespace BrandCommands
