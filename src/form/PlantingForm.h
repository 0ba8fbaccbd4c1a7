#pragma once

#include "catalogue/CropCatalogue.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// The contents of a drop-down list and its selected position.
struct ChoiceList {
    QStringList items;
    int selected = -1;

    bool operator==(const ChoiceList&) const = default;
    QString selectedText() const {
        return selected >= 0 && selected < items.size() ? items[selected] : QString();
    }
};

// The planting form and the schedule panel without widgets. The dialog copies
// the user's edits in (the set* calls), runs a handler, and copies the state
// back out; the lists' selected positions are catalogue, season and stage
// indices because the lists are filled in index order and never sorted.
class PlantingForm {
public:
    static constexpr int kPanelLines = kMaxSeasons;
    using PanelLines = std::array<QString, kPanelLines>;

    static QString placeholderLine() { return QStringLiteral("2009-10-01 13：25"); }
    static QString noSeasonLine() { return QStringLiteral("--.--.--"); }
    static QString ripenedLine() { return QStringLiteral("已成熟"); }
    static QString friendHoursDefault() { return QStringLiteral("0"); }
    static QString friendMinutesDefault() { return QStringLiteral("30"); }

    // The picker starts at `now`; the lists stay empty until FillCropList.
    explicit PlantingForm(qint64 now = 0);

    // Handlers of the form's controls.
    void FillCropList(SoilKind soil);
    void FillStageList(int seasonIndex);
    void OnSoilOrdinary();
    void OnSoilRedSoil();
    void OnCropSelChange(qint64 now);
    void OnSeasonSelChange();
    void OnPlantTimeChange();
    void OnFriendCropClicked(bool checked);

    // The panel from the form's crop and picker value.
    void RefreshSchedule();
    // The panel from one reminder: seasons before its own read as ripened.
    void ShowRowSchedule(int cropIndex, const QString& cropName, qint64 plant, int seasonNo);

    // What the user changed in the widgets.
    void setCropSelection(int pos) { m_crops.selected = clampSel(m_crops, pos); }
    void setSeasonSelection(int pos) { m_seasons.selected = clampSel(m_seasons, pos); }
    void setStageSelection(int pos) { m_stages.selected = clampSel(m_stages, pos); }
    void setPlant(qint64 plant) { m_plant = clampPlant(plant); }
    void setHoursText(const QString& t) { m_hoursText = t; }
    void setMinutesText(const QString& t) { m_minutesText = t; }

    SoilKind soil() const { return m_nSoilKind; }
    const ChoiceList& crops() const { return m_crops; }
    const ChoiceList& seasons() const { return m_seasons; }
    const ChoiceList& stages() const { return m_stages; }
    bool friendMode() const { return m_friendMode; }
    const QString& hoursText() const { return m_hoursText; }
    const QString& minutesText() const { return m_minutesText; }
    qint64 plant() const { return m_plant; }
    bool pickerEnabled() const { return !m_friendMode; }
    bool friendFieldsEnabled() const { return m_friendMode; }
    const PanelLines& panel() const { return m_panel; }
    CropSpec selectedCrop() const;

    // The reminder the form describes. In friend mode `reference` is the
    // moment the remaining hours and minutes count from.
    struct NewReminder {
        bool ok = false;
        QString error; // user-facing, when !ok
        int cropIndex = 0;
        QString cropName;
        qint64 plant = 0;
        qint64 ripe = 0;
        int seasonNo = 1;
    };
    NewReminder describe(qint64 reference) const;

private:
    // The data file holds 32-bit instants, so the picker never leaves them.
    static qint64 clampPlant(qint64 t);
    static int clampSel(const ChoiceList& l, int pos) {
        return pos >= 0 && pos < l.items.size() ? pos : l.selected;
    }

    SoilKind m_nSoilKind = SoilKind::Ordinary;
    ChoiceList m_crops;
    ChoiceList m_seasons;
    ChoiceList m_stages;
    bool m_friendMode = false;
    QString m_hoursText;
    QString m_minutesText;
    qint64 m_plant = 0;
    PanelLines m_panel;
};
