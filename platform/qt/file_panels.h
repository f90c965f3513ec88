// Modal open and save panels as Qt file dialogs, with German labels.
#pragma once

#include <QStringList>

#include <string>
#include <vector>

#include "runtime/window_layer.h"

class QFileDialog;
class QWidget;

namespace mdx::qt {

// Name filters for the allowed extensions (without the dot); none means any file.
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

// A modal warning with the message and, below it, why; one German "OK" button.
void showalert(const std::string& message, const std::string& detail, QWidget* parent);

} // namespace mdx::qt
