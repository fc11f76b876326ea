#include "app/userinteraction.h"

#include "app/helpwindow.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QLayout>
#include <QPushButton>
#include <QScreen>

namespace Glimmerpad {

bool isApplicationBundlePath(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.fileName().endsWith(QLatin1StringView(".app"));
}

namespace {

// Wide enough for the file list's name, size, kind and date columns side by side. Qt's own
// chooser opens smaller; a desktop's chooser (through its portal, where the platform theme offers
// one) keeps its own size.
constexpr QSize kChooserSize(880, 560);

void sizeChooser(QFileDialog &dialog, const QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    dialog.resize(kChooserSize.boundedTo(screen->availableGeometry().size()));
}

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
                                                                   const QString &message, const QString &prompt,
                                                                   const QString &startFolder)
{
    BundleDialog dialog(parent, title, startFolder);
    // Qt's own chooser: a desktop's cannot refuse plain folders, nor show the message.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    sizeChooser(dialog, parent);
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

std::optional<QString> DesktopInteraction::chooseFolder(QWidget *parent, const QString &title,
                                                        const QString &startFolder)
{
    QFileDialog dialog(parent, title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::ApplicationModal);
    sizeChooser(dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QStringList DesktopInteraction::chooseSnippetFiles(QWidget *parent, const QString &title, const QString &startFolder)
{
    //% "Snippets (*.codesnippet)"
    const QString filter = qtTrId("import_file_filter");
    QFileDialog dialog(parent, title, startFolder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setWindowModality(Qt::ApplicationModal);
    sizeChooser(dialog, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
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

void DesktopInteraction::showHelp(QWidget *parent, const QUrl &page)
{
    HelpWindow *help = parent ? parent->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help)
        help = new HelpWindow(parent, page);
    help->makeKeyAndOrderFront();
}

void DesktopInteraction::terminate(int exitCode)
{
    QCoreApplication::exit(exitCode);
}

} // namespace Glimmerpad
