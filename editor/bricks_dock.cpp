#include "editor/bricks_dock.h"

#include <QListWidget>
#include <QPixmap>
#include <QSignalBlocker>

#include "qt_picture/convert.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"

namespace editor {

namespace {

QString Text(int brick, const core::BrickRecord& record, int cells) {
    QStringList flags;
    if (record.Explosive != core::kFalse) {
        flags << QStringLiteral("Explosive");
    }
    if (record.Unbreakable != core::kFalse) {
        flags << QStringLiteral("Unbreakable");
    }
    return QStringLiteral("%1\n%2, %3 %4")
        .arg(QString::fromStdString(core::BrickName(brick)),
             flags.isEmpty() ? QStringLiteral("None") : flags.join(QStringLiteral(", ")))
        .arg(cells)
        .arg(cells == 1 ? QStringLiteral("cell") : QStringLiteral("cells"));
}

}  // namespace

BricksDock::BricksDock(QWidget* parent)
    : QDockWidget(QStringLiteral("Bricks"), parent), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("bricksDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    list_->setObjectName(QStringLiteral("bricksList"));
    list_->setIconSize(QSize(core::kCellWidth, core::kCellHeight));
    list_->setUniformItemSizes(true);
    list_->setMinimumWidth(170);
    setWidget(list_);
    // A row chosen by the user, with the mouse or the keys; the program's own choices are
    // made with the signals blocked.
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (onSelect_ && row >= 0) {
            onSelect_(row);
        }
    });
}

void BricksDock::Show(const BoardDocument& document) {
    const core::Board& board = document.Board();
    const QSignalBlocker quiet(list_);
    if (!filled_ || table_ != document.TableRevision()) {
        filled_ = true;
        table_ = document.TableRevision();
        list_->clear();
        core::PictureBox picture(core::kCellWidth, core::kCellHeight);
        for (std::size_t i = 0; i < board.Bricks.size(); ++i) {
            core::DrawBrick(picture, 0, 0, board.Bricks, static_cast<std::int32_t>(i), core::kFalse,
                            core::ErasePattern::GridLines);
            list_->addItem(new QListWidgetItem(
                QIcon(QPixmap::fromImage(qt_picture::ImageFromPicture(picture))), QString()));
        }
        shown_.assign(board.Bricks.size(), Shown{});
    }
    std::vector<int> cells(board.Bricks.size(), 0);
    ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
        const core::BoardCell& model = board.Cells(cell.Column, cell.Row);
        if (model.Used == core::kTrue && board.FindBrick(model.BrickIndex) != nullptr) {
            ++cells[static_cast<std::size_t>(model.BrickIndex)];
        }
    });
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const core::BrickRecord& record = board.Bricks[i];
        const Shown now{cells[i], record.Explosive, record.Unbreakable};
        if (now != shown_[i]) {
            shown_[i] = now;
            list_->item(static_cast<int>(i))->setText(Text(static_cast<int>(i), record, now.Cells));
        }
    }
    list_->setCurrentRow(document.Palette().ListIndex);
}

}  // namespace editor
