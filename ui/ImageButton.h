#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button drawn from pictures: one for the normal, the hovered and the pressed state, placed
// left of or above an optional caption. A flat button shows a frame only while the mouse is over
// it; a frameless one never does.
class ImageButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap normalPicture READ normalPicture WRITE setNormalPicture)
    Q_PROPERTY(QPixmap hoverPicture READ hoverPicture WRITE setHoverPicture)
    Q_PROPERTY(QPixmap downPicture READ downPicture WRITE setDownPicture)
    Q_PROPERTY(PicturePlacement picturePlacement READ picturePlacement WRITE setPicturePlacement)
    Q_PROPERTY(FrameMode frameMode READ frameMode WRITE setFrameMode)

public:
    enum PicturePlacement
    {
        Left,
        Above
    };
    Q_ENUM(PicturePlacement)

    enum FrameMode
    {
        Flat,
        Frameless
    };
    Q_ENUM(FrameMode)

    enum class PictureState
    {
        Normal,
        Hovered,
        Down
    };

    explicit ImageButton(QWidget* parent = nullptr);

    QPixmap normalPicture() const { return m_normal; }
    void setNormalPicture(const QPixmap& picture);
    QPixmap hoverPicture() const { return m_hover; }
    void setHoverPicture(const QPixmap& picture);
    QPixmap downPicture() const { return m_down; }
    void setDownPicture(const QPixmap& picture);

    PicturePlacement picturePlacement() const { return m_placement; }
    void setPicturePlacement(PicturePlacement placement);
    FrameMode frameMode() const { return m_frameMode; }
    void setFrameMode(FrameMode mode);

    bool isHovered() const { return m_hovered; }
    // The state whose picture is drawn now, and that picture (the normal one stands in for a
    // missing variant).
    PictureState pictureState() const;
    QPixmap currentPicture() const;
    bool frameShown() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovered(bool hovered);
    void paintFrame(QPainter& painter) const;

    QPixmap m_normal;
    QPixmap m_hover;
    QPixmap m_down;
    PicturePlacement m_placement = Left;
    FrameMode m_frameMode = Flat;
    bool m_hovered = false;
};
