#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>

// Group box with two self-painted looks: a rounded frame with the caption on a
// coloured patch, or a filled caption band over a filled body.
class CXPGroupBox : public QGroupBox {
    Q_OBJECT
public:
    enum class Look { Frame, Banded };
    enum class CaptionAlign { Left, Centre, Right };

    explicit CXPGroupBox(QWidget* parent = nullptr);
    explicit CXPGroupBox(const QString& title, QWidget* parent = nullptr);

    // Colours are COLORREF values: 0x00BBGGRR, red in the low byte.
    static QColor fromColorRef(quint32 colorRef);
    static quint32 toColorRef(const QColor& colour);

    virtual CXPGroupBox& SetFrameColor(quint32 colorRef);
    virtual CXPGroupBox& SetCaptionColor(quint32 colorRef);
    virtual CXPGroupBox& SetFillColors(quint32 band, quint32 body);
    virtual CXPGroupBox& SetFillColor(quint32 colorRef);
    virtual CXPGroupBox& SetLook(Look look);
    virtual CXPGroupBox& SetCaption(const QString& text);
    virtual CXPGroupBox& SetCaptionBold(bool bold);
    virtual CXPGroupBox& SetCaptionFace(const QString& face, quint8 charSet = 1);
    virtual CXPGroupBox& SetCaptionUnderline(quint8 underline);
    virtual CXPGroupBox& SetCaptionItalic(quint8 italic);
    virtual CXPGroupBox& SetCaptionPointSize(int points);
    virtual CXPGroupBox& SetCaptionFont(const QFont& font);
    virtual CXPGroupBox& SetCaptionAlign(CaptionAlign align);

    // The caption as drawn (with its two added spaces), empty before the first
    // paint or set.
    QString caption() const { return m_strCaption; }
    QColor frameColor() const { return m_clrFrame; }
    QColor bandColor() const { return m_clrBand; }
    QColor bodyColor() const { return m_clrBody; }
    QColor captionColor() const { return m_clrCaption; }
    // The caption font resolved against the font the box inherits.
    QFont captionFont() const;
    // Caption box of the current look, for the caption as it stands now.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeWindowCaption();
    void RepaintInParent();

    QString m_strCaption;
    QColor m_clrFrame;
    QColor m_clrBand;
    QColor m_clrBody;
    QColor m_clrCaption;
    Look m_look = Look::Frame;
    CaptionAlign m_align = CaptionAlign::Left;
    QFont m_fontCaption; // only the attributes set here; the rest is inherited
};
