#include "Screenshot/ScrollStop.h"

bool ScrollStops::incomplete(ScrollStop stop)
{
    switch (stop) {
    case ScrollStop::contentEnd:
    case ScrollStop::blankEnd:
    case ScrollStop::cancelled:
        return false;
    default:
        return true;
    }
}

QString ScrollStops::logLine(ScrollStop stop)
{
    const QString incomplete = QStringLiteral("Unvollständig: ");
    const QString retries = QString::number(seamRetries);
    switch (stop) {
    case ScrollStop::contentEnd:
        return QStringLiteral("Fensterende erreicht");
    case ScrollStop::blankEnd:
        return {};
    case ScrollStop::cancelled:
        return QStringLiteral("Abgebrochen (ESC) — bis hier zusammensetzen");
    case ScrollStop::captureGone:
        return incomplete + QStringLiteral("Aufnahme beendet");
    case ScrollStop::focusLost:
        return incomplete + QStringLiteral("Fokus verloren");
    case ScrollStop::noFrame:
        return incomplete + QStringLiteral("kein Bild");
    case ScrollStop::seamUnconfirmed:
        return incomplete + QStringLiteral("Naht nicht bestätigt");
    case ScrollStop::seamRetriesSpent:
        return incomplete + QStringLiteral("Naht nicht bestätigt, auch nach ") + retries
            + QStringLiteral(" neuen Anläufen");
    case ScrollStop::changesInPlace:
        return incomplete + QStringLiteral("Inhalt ändert sich ohne zu scrollen");
    case ScrollStop::heightLimit:
        return incomplete + QStringLiteral("Höhengrenze erreicht");
    case ScrollStop::stripLimit:
        return incomplete + QStringLiteral("Streifengrenze erreicht");
    case ScrollStop::stepLimit:
        return incomplete + QStringLiteral("keine neuen Zeilen nach ") + QString::number(barrenSteps)
            + QStringLiteral(" Schritten");
    case ScrollStop::blankEndUncertain:
        return incomplete + QStringLiteral("Ende auf leerer Fläche nicht sicher");
    case ScrollStop::missedUnderHeader:
        return incomplete + QStringLiteral("Inhalt unter der Kopfzeile verpasst");
    case ScrollStop::nothingScrolled:
        return incomplete + QStringLiteral("nichts gescrollt");
    case ScrollStop::coverRepeated:
        return incomplete + QStringLiteral("festes Element über dem Inhalt mitten im Bild");
    case ScrollStop::contentMoved:
        return incomplete + QStringLiteral("Inhalt hat sich beim Scrollen verschoben (nachgeladen)");
    case ScrollStop::grewAtEnd:
        return incomplete + QStringLiteral("Seite wächst am Ende weiter");
    case ScrollStop::grewAbove:
        return incomplete + QStringLiteral("Seite oberhalb der Ansicht gewachsen");
    case ScrollStop::shorterAgain:
        return incomplete + QStringLiteral("zweiter Durchgang kürzer als der erste");
    case ScrollStop::sectionShifted:
        return incomplete + QStringLiteral("Umgebung des Abschnitts verschoben");
    case ScrollStop::assumedSeamWrong:
        return incomplete + QStringLiteral("angenommene Schrittweite später widerlegt");
    case ScrollStop::assumedSeamAtEnd:
        return incomplete + QStringLiteral("Ende nach angenommener Schrittweite nicht sicher");
    }
    return {};
}
