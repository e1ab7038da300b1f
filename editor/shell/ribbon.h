// The tool panels' controls: the ribbon button, a toggle button that shows
// a picture and stays pressed, and the picture clip, a strip of equal
// picture cells that the buttons take their pictures from.
#pragma once

#include "editor/shell/controls.h"
#include "editor/shell/event.h"

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QToolButton>

#include <string>

class RibbonButton : public QToolButton {
    Q_OBJECT
public:
    explicit RibbonButton(QWidget* parent = nullptr);

    // Pressed (true) or up. Setting it raises Click(Value) once when it
    // changes; pressing a button of a group first releases the pressed
    // buttons of that group (each raising its own Click).
    bool Value() const { return isChecked(); }
    void SetValue(bool value);

    // Buttons of one panel with the same group number other than 0 form a
    // radio group: pressing one releases the others, and the user cannot
    // release the pressed one by clicking it. Group 0 buttons toggle alone.
    void SetGroupNumber(int group) { group_ = group; }
    int GroupNumber() const { return group_; }

    void SetPicture(const QPixmap& picture);
    void SetToolTipText(const std::string& text);

    Event<bool> Click;  // (Value)
    MouseEvent MouseMove;
    MouseEvent MouseUp;

protected:
    void nextCheckState() override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ReleaseGroup();

    int group_ = 0;
    bool userChanged_ = false;
};

class PictureClip : public QObject {
    Q_OBJECT
public:
    explicit PictureClip(QObject* parent = nullptr);

    // Takes a strip of `rows` x `cols` equal cells; cells are numbered row
    // by row from 0. False (nothing changed) when the picture is empty or
    // the grid does not divide it.
    bool Load(const QImage& strip, int rows, int cols);
    // The same from a picture file, of which only the header is read now:
    // the strip is decoded when the first cell is asked for, so strips that
    // are never shown cost nothing. False (nothing changed) when the file
    // cannot be read or the grid does not divide it. A file that fails to
    // decode later gives blank cells.
    bool LoadFile(const QString& path, int rows, int cols);
    int Rows() const { return rows_; }
    int CellCount() const { return rows_ * cols_; }
    QSize CellSize() const;

    // The picture of one cell; error 380 outside 0 .. CellCount() - 1.
    QPixmap GraphicCell(int index) const;

private:
    bool TakeGrid(QSize size, int rows, int cols);
    const QImage& Strip() const;

    mutable QImage strip_;
    mutable QString path_;  // the file still to decode; empty once decoded
    QSize size_;
    int rows_ = 0;
    int cols_ = 0;
};
