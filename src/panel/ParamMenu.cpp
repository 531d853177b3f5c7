#include "panel/ParamMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>

#include "model/ModelConfig.h"
#include "model/Presets.h"
#include "model/TreeSession.h"
#include "panel/PanelViewer.h"
#include "paramfile/ParamFile.h"

namespace {

const QString JsonFilter = QStringLiteral("JSON parameter files (*.json)");
const QString RecordFilter = QStringLiteral("96-byte records as TreeModl.Cfg (*.Cfg *.cfg)");
const QString LoadFilter = QStringLiteral("Parameter files (*.json *.Cfg *.cfg);;") + JsonFilter +
                           QStringLiteral(";;") + RecordFilter + QStringLiteral(";;All files (*)");
const QString SaveFilter = JsonFilter + QStringLiteral(";;") + RecordFilter;

// A name ending in ".cfg" (any case) is saved as the 96-byte record the program reads at
// start, so that it can serve as a folder's TreeModl.Cfg; any other as readable JSON.
bool NamesARecord(const QString& path) {
    return path.endsWith(QLatin1String(".cfg"), Qt::CaseInsensitive);
}

} // namespace

ParamMenu::ParamMenu(ParamMenuHost& host)
    : QObject(&host.Widget()), host_(host), history_(host), lastDirectory_(QDir::currentPath()) {
    BuildMenu();

    QSlider* slider = host.SliderControl();
    // Connected after the panel's own handlers, so these see the value already stored.
    // A key or wheel move is a step of its own; a drag is one step when it ends.
    connect(slider, &QSlider::valueChanged, this, [this, slider] {
        if (!slider->isSliderDown())
            history_.RecordSliderStep();
    });
    connect(slider, &QSlider::sliderReleased, this, [this] { history_.RecordSliderStep(); });

    QListWidget* list = host.ListControl();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(pos); });
}

void ParamMenu::BuildMenu() {
    QUndoStack& stack = history_.Stack();
    undo_ = stack.createUndoAction(this, QStringLiteral("Undo"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = stack.createRedoAction(this, QStringLiteral("Redo"));
    redo_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    for (QAction* action : {undo_, redo_}) {
        // The keys work wherever the focus is inside the panel.
        action->setShortcutContext(Qt::WindowShortcut);
        host_.Widget().addAction(action);
    }

    menu_ = new QMenu(&host_.Widget());
    menu_->addAction(undo_);
    menu_->addAction(redo_);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Reset to defaults"), this, [this] { ResetToDefaults(); });
    menu_->addAction(QStringLiteral("New random tree"), this, [this] { NewRandomTree(); });
    menu_->addAction(QStringLiteral("Frame the tree"), this, [this] {
        if (PanelViewer* viewer = host_.Viewer())
            viewer->FrameTheTree();
    });
    wind_ = menu_->addAction(QStringLiteral("Wind"), this, [this] {
        if (PanelViewer* viewer = host_.Viewer())
            viewer->ToggleWind();
    });
    wind_->setCheckable(true);
    lighter_ = menu_->addAction(QStringLiteral("Lighter picture while moving"), this, [this] {
        if (PanelViewer* viewer = host_.Viewer())
            viewer->SetLighterWhileMoving(lighter_->isChecked());
    });
    lighter_->setCheckable(true);
    menu_->addSection(QStringLiteral("Presets"));
    for (const Preset& preset : BuiltInPresets()) {
        if (&preset == &BuiltInPresets().front())
            continue; // the defaults are the reset above
        menu_->addAction(QString::fromUtf8(preset.name), this,
                         [this, &preset] { ApplyPreset(preset); });
    }
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Save parameters..."), this, [this] { SaveWithDialog(); });
    menu_->addAction(QStringLiteral("Load parameters..."), this, [this] { LoadWithDialog(); });
}

void ParamMenu::ShowMenu(const QPoint& listPos) {
    QListWidget* list = host_.ListControl();
    QPoint at = list->viewport()->mapToGlobal(listPos);
    // From the menu key the position may lie anywhere; open the menu at the selected
    // line instead, or at the list's corner.
    if (!list->viewport()->rect().contains(listPos)) {
        QListWidgetItem* item = list->currentItem();
        const QRect r = item ? list->visualItemRect(item) : QRect();
        at = list->viewport()->mapToGlobal(r.isValid() ? r.center() : QPoint(4, 4));
    }
    // W in the viewer may have started or stopped the wind since.
    const PanelViewer* viewer = host_.Viewer();
    wind_->setChecked(viewer && viewer->WindBlowing());
    lighter_->setChecked(viewer && viewer->LighterWhileMoving());
    menu_->popup(at);
}

void ParamMenu::ResetToDefaults() {
    ParamState after = history_.Current();
    after.params = TreeParams{};
    history_.Change(QStringLiteral("Reset to defaults"), after);
}

void ParamMenu::NewRandomTree() {
    ParamState after = history_.Current();
    after.seed = FreshSeed(after.seed);
    history_.Change(QStringLiteral("New random tree"), after);
}

void ParamMenu::ApplyPreset(const Preset& preset) {
    ParamState after = history_.Current();
    after.params = preset.params;
    history_.Change(QStringLiteral("Preset ") + QString::fromUtf8(preset.name), after);
}

Result<> ParamMenu::LoadFrom(const QString& path, QString* ignored) {
    // Only a regular file is read (a named pipe nobody writes to would hold the panel
    // forever), opened once; a record's window settings are not the panel's to change.
    const Result<LoadedParamFile> read = ReadParamFile(QFile::encodeName(path).toStdString());
    if (!read)
        return read.Error();
    if (ignored != nullptr) {
        ignored->clear();
        for (const std::string& line : read->ignored)
            *ignored += QString::fromStdString(line) + QLatin1Char('\n');
    }
    ParamState after = history_.Current();
    after.params = read->contents.params;
    if (read->contents.seed)
        after.seed = *read->contents.seed;
    after.camera = read->contents.camera;
    history_.Change(QStringLiteral("Load ") + QFileInfo(path).fileName(), after);
    return {};
}

Result<> ParamMenu::SaveTo(const QString& path) {
    if (NamesARecord(path)) {
        const WindowGeometry geometry = host_.CurrentGeometry();
        const std::optional<Camera> viewCamera =
            host_.Viewer() != nullptr ? host_.Viewer()->ViewCamera() : std::nullopt;
        return SaveModelConfig(geometry, viewCamera.value_or(Camera{}), host_.Session().params(),
                               QFile::encodeName(path).toStdString());
    } else {
        ParamFileContents contents;
        contents.params = host_.Session().params();
        contents.seed = host_.Session().seed();
        if (host_.Viewer() != nullptr)
            contents.camera = host_.Viewer()->ViewCamera();
        return WriteParamFile(QFile::encodeName(path).toStdString(), contents);
    }
}

void ParamMenu::LoadWithDialog() {
    const ParamMenuHost::OwnDialog inUse(host_);
    const QString path = QFileDialog::getOpenFileName(
        &host_.Widget(), QStringLiteral("Load parameters"), lastDirectory_, LoadFilter);
    if (path.isEmpty())
        return;
    lastDirectory_ = QFileInfo(path).absolutePath();
    QString ignored;
    const QString title = QCoreApplication::applicationName();
    if (const Result<> loaded = LoadFrom(path, &ignored); !loaded) {
        QMessageBox::warning(&host_.Widget(), title,
                             QStringLiteral("The parameters were not loaded: ") +
                                 QString::fromStdString(loaded.Error().message));
    } else if (!ignored.isEmpty()) {
        QMessageBox::information(&host_.Widget(), title,
                                 QStringLiteral("Loaded. Not understood and left out:\n") +
                                     ignored.trimmed());
    }
}

void ParamMenu::SaveWithDialog() {
    const ParamMenuHost::OwnDialog inUse(host_);
    QFileDialog dialog(&host_.Widget(), QStringLiteral("Save parameters"), lastDirectory_,
                       SaveFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    // A name typed without a suffix takes the chosen format's.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == RecordFilter ? QStringLiteral("Cfg")
                                                       : QStringLiteral("json"));
    });
    dialog.selectFile(QStringLiteral("tree.json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    lastDirectory_ = QFileInfo(path).absolutePath();
    if (const Result<> saved = SaveTo(path); !saved) {
        QMessageBox::warning(&host_.Widget(), QCoreApplication::applicationName(),
                             QStringLiteral("The parameters were not saved: ") +
                                 QString::fromStdString(saved.Error().message));
    }
}
