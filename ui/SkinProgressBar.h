#pragma once

#include <QProgressBar>

// A horizontal progress bar with a glossy, rounded skin and its percentage caption ("42%").
class SkinProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit SkinProgressBar(QWidget* parent = nullptr);

    // The part of the groove the chunk covers, 0.0 to 1.0.
    double filledFraction() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
