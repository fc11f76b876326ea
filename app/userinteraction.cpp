#include "app/userinteraction.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QLayout>
#include <QPushButton>

namespace Glimmerpad {

bool isApplicationBundlePath(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.fileName().endsWith(QLatin1StringView(".app"));
}

namespace {

// A folder chooser that treats application bundles as the only things to choose, the way
// bundles are files to the user: anything else cannot be accepted.
class BundleDialog final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && isApplicationBundlePath(chosen.first())) {
            QFileDialog::accept();
            return;
        }
        // A plain folder: go into it, as double-clicking it would.
        if (chosen.size() == 1 && QFileInfo(chosen.first()).isDir())
            setDirectory(chosen.first());
    }
};

} // namespace

std::optional<QString> DesktopInteraction::chooseApplicationBundle(QWidget *parent, const QString &title,
                                                                   const QString &message,
                                                                   const QString &prompt)
{
    BundleDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the native ones cannot refuse plain folders
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setNameFilter(QStringLiteral("*.app"));
    dialog.setLabelText(QFileDialog::Accept, prompt);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!message.isEmpty()) {
        // The dialog has no message of its own; put ours above the file list.
        auto *label = new QLabel(message, &dialog);
        label->setWordWrap(true);
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constLast();
}

std::optional<QString> DesktopInteraction::chooseFolder(QWidget *parent, const QString &title)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title);
    return folder.isEmpty() ? std::nullopt : std::optional(folder);
}

QStringList DesktopInteraction::chooseSnippetFiles(QWidget *parent, const QString &title)
{
    //% "Snippets (*.codesnippet)"
    const QString filter = qtTrId("import_file_filter");
    return QFileDialog::getOpenFileNames(parent, title, {}, filter);
}

void DesktopInteraction::runCriticalAlert(QWidget *parent, const QString &title, const QString &message,
                                          const QString &button)
{
    QMessageBox box(QMessageBox::Critical, title, title, QMessageBox::NoButton, parent);
    box.setInformativeText(message);
    box.addButton(button, QMessageBox::AcceptRole);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void DesktopInteraction::beginSheet(RVWindow *window, RVSheet::Icon icon, const QString &title,
                                    const QString &message, const QString &button)
{
    RVSheet::begin(window, icon, title, message, {{button, true, true}});
}

void DesktopInteraction::beginQuestionSheet(RVWindow *window, const QString &title, const QString &message,
                                            const QString &acceptButton, const QString &rejectButton,
                                            std::function<void(bool)> answered)
{
    RVSheet *sheet = RVSheet::begin(window, RVSheet::Icon::Question, title, message,
                                    {{acceptButton, false, false}, {rejectButton, true, true}});
    QObject::connect(sheet, &RVSheet::finished, sheet, [answered](int button) { answered(button == 0); });
}

void DesktopInteraction::beginChoiceSheet(RVWindow *window, const QString &title, const QString &message,
                                          const QStringList &buttons, int safeButton,
                                          std::function<void(int)> answered)
{
    QList<RVSheet::Button> roles;
    for (qsizetype i = 0; i < buttons.size(); ++i)
        roles.append({buttons[i], i == safeButton, i == safeButton});
    RVSheet *sheet = RVSheet::begin(window, RVSheet::Icon::Question, title, message, roles);
    QObject::connect(sheet, &RVSheet::finished, sheet, [answered](int button) { answered(button); });
}

void DesktopInteraction::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

void DesktopInteraction::terminate(int exitCode)
{
    QCoreApplication::exit(exitCode);
}

} // namespace Glimmerpad
