// Modal open and save panels as Qt file dialogs, with German labels.
#pragma once

#include <QStringList>

#include <string>
#include <vector>

#include "runtime/window_layer.h"

class QFileDialog;
class QFontMetrics;
class QWidget;

namespace mdx::qt {

// The panels start in the folder of the file last opened or saved through a panel (not of one
// named on the command line, dropped or handed over: the panel then stays where the program
// started); empty before the first.
void rememberfile(const std::string& path);

// Name filters for the allowed extensions (without the dot), then "Alle Dateien"; only that
// when there are none.
QStringList namefilters(const std::vector<std::string>& types);

// The path that the save panel's name field stands for: the name as typed, in the panel's
// folder unless it is absolute, with ".extension" added unless the name already ends with it.
QString savepath(const QString& directory, const QString& typed, const QString& extension);

// Sets a dialog up for the request: title, message, mode, filters and button labels.
void setupopendialog(QFileDialog& dialog, const WindowLayer::OpenPanelRequest& request);
void setupsavedialog(QFileDialog& dialog, const WindowLayer::SavePanelRequest& request);

// Runs the dialog modally; the chosen paths, none (or "") when cancelled.
std::vector<std::string> runopenpanel(const WindowLayer::OpenPanelRequest& request,
                                      QWidget* parent);
std::string runsavepanel(const WindowLayer::SavePanelRequest& request, QWidget* parent);

// The message with each name between „ and “ shortened in its middle to at most width pixels.
QString elidenames(const QString& message, const QFontMetrics& metrics, int width);

// A modal warning with the message and, below it, why; one German "OK" button. Both are shown as
// plain text.
void showalert(const std::string& message, const std::string& detail, QWidget* parent);

} // namespace mdx::qt
