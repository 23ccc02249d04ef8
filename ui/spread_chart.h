#pragma once

// A picture of how far the final bills came from their quotes: one row a
// species, each final bill a dot at its bill ÷ quote, a box from the 10th to
// the 90th percentile with the median marked, a line at the quote itself and
// light bands at ±5 % and ±10 % of it. Drawn with the palette's colours; with
// no bill at all it says so in a sentence.

#include <QList>
#include <QString>
#include <QWidget>

struct SpreadRow {
    QString label;              // the species
    QList<double> sortedValues; // each final bill ÷ its quote, smallest first
};

class SpreadChart : public QWidget {
    Q_OBJECT

public:
    explicit SpreadChart(QWidget* parent = nullptr);

    void setRows(const QList<SpreadRow>& rows);
    const QList<SpreadRow>& rows() const { return rows_; }

    // The sentence shown when there is no value to draw.
    void setEmptyText(const QString& text);
    const QString& emptyText() const { return emptyText_; }

    // The values shown from `low` to `high` (bill ÷ quote): at least the ±30 %
    // around the quote, widened to the values but never beyond half and twice
    // the quote. Values beyond are drawn at the edge.
    double low() const { return low_; }
    double high() const { return high_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitScale();

    QList<SpreadRow> rows_;
    QString emptyText_;
    double low_ = 0.7, high_ = 1.3;
};
