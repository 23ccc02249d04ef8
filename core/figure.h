#pragma once

// A figure of an estimate (a weight or an amount of money) as the clerk sees
// it: its text exactly as shown, and whether it is what its rule gives from
// what is shown now. A figure that could not be figured again keeps its text,
// so the clerk sees what was there, and says why it is not current.

#include <QString>

enum class FigureState {
    Current,    // figured from what is shown now, or typed by the clerk
    NotFigured, // its price could not be had, or a figure it needs is not a number
};

struct Figure {
    QString text = QStringLiteral("0");
    FigureState state = FigureState::Current;
    QString why;        // when not current: why, in the clerk's words
    bool typed = false; // typed by the clerk: the clerk's word, never figured over

    bool isCurrent() const { return state == FigureState::Current; }
    bool operator==(const Figure&) const = default;

    // A figure figured now.
    static Figure figured(QString text)
    {
        return {std::move(text), FigureState::Current, {}, false};
    }
    // A figure typed by the clerk.
    static Figure typedIn(QString text)
    {
        return {std::move(text), FigureState::Current, {}, true};
    }

    // Figured now: the text, current.
    void set(QString figuredText) { *this = figured(std::move(figuredText)); }
    // Could not be figured again: the text stays, and says why.
    void fail(QString reason)
    {
        state = FigureState::NotFigured;
        why = std::move(reason);
        typed = false;
    }
};
