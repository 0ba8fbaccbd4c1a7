#include "form/PlantingForm.h"

#include "catalogue/Schedule.h"
#include "catalogue/TimeText.h"

PlantingForm::PlantingForm(qint64 now) : m_plant(clampPlant(now)) {
    m_panel.fill(placeholderLine());
}

void PlantingForm::FillCropList(SoilKind soil) {
    m_crops.items.clear();
    const int n = CropCatalogue::CropCount(soil);
    for (int i = 0; i < n; ++i)
        m_crops.items << CropCatalogue::GetCrop(soil, i).name;
    m_crops.selected = n > 0 ? 0 : -1;
    FillStageList(0);
    // Only the first season until a crop is chosen, whatever the first crop offers.
    m_seasons.items = QStringList{CropCatalogue::SeasonName(0)};
    m_seasons.selected = 0;
    RefreshSchedule();
}

qint64 PlantingForm::clampPlant(qint64 t) {
    return qBound(TimeText::kMinStorable, t, TimeText::kMaxStorable);
}

void PlantingForm::FillStageList(int seasonIndex) {
    m_stages.items.clear();
    if (seasonIndex == 0) {
        for (int s = 0; s < kStageCount; ++s)
            m_stages.items << CropCatalogue::StageName(s);
    } else {
        m_stages.items << CropCatalogue::StageName(Bloom) << CropCatalogue::StageName(Ripe);
    }
    m_stages.selected = static_cast<int>(m_stages.items.size()) - 1; // "成熟"
}

void PlantingForm::OnSoilOrdinary() {
    m_nSoilKind = SoilKind::Ordinary;
    FillCropList(m_nSoilKind);
}

void PlantingForm::OnSoilRedSoil() {
    m_nSoilKind = SoilKind::RedSoil;
    FillCropList(m_nSoilKind);
}

CropSpec PlantingForm::selectedCrop() const {
    return CropCatalogue::GetCrop(m_nSoilKind, m_crops.selected);
}

void PlantingForm::OnCropSelChange(qint64 now) {
    const CropSpec crop = selectedCrop();
    m_seasons.items.clear();
    for (int s = 0; s < crop.seasons && s < kMaxSeasons; ++s)
        m_seasons.items << CropCatalogue::SeasonName(s);
    // An unknown crop still leaves a season to choose, so adding always has one.
    if (m_seasons.items.isEmpty())
        m_seasons.items << CropCatalogue::SeasonName(0);
    m_seasons.selected = 0;
    FillStageList(0);
    m_plant = clampPlant(now);
    RefreshSchedule();
}

void PlantingForm::OnSeasonSelChange() {
    FillStageList(m_seasons.selected);
}

void PlantingForm::OnPlantTimeChange() {
    RefreshSchedule();
}

void PlantingForm::OnFriendCropClicked(bool checked) {
    m_friendMode = checked;
    m_hoursText = checked ? friendHoursDefault() : QString();
    m_minutesText = checked ? friendMinutesDefault() : QString();
}

void PlantingForm::RefreshSchedule() {
    const CropSpec crop = selectedCrop();
    for (int k = 1; k <= kPanelLines; ++k)
        m_panel[k - 1] = k <= crop.seasons
                             ? TimeText::format(Schedule::RipeningTime(m_plant, crop, k))
                             : noSeasonLine();
}

void PlantingForm::ShowRowSchedule(int cropIndex, const QString& cropName, qint64 plant,
                                   int seasonNo) {
    const CropSpec crop = CropCatalogue::ResolveCrop(cropIndex, cropName);
    for (int k = 1; k <= kPanelLines; ++k) {
        if (k > crop.seasons)
            m_panel[k - 1] = noSeasonLine();
        else if (k < seasonNo)
            m_panel[k - 1] = ripenedLine();
        else
            m_panel[k - 1] = TimeText::format(Schedule::RipeningTime(plant, crop, k));
    }
}

PlantingForm::NewReminder PlantingForm::describe(qint64 reference) const {
    NewReminder r;
    const CropSpec crop = selectedCrop();
    r.cropIndex = m_crops.selected;
    r.cropName = crop.name;
    if (m_friendMode) {
        const Schedule::FriendTimes t =
            Schedule::FriendCropTimes(reference, m_hoursText, m_minutesText, r.cropIndex,
                                      r.cropName, m_stages.selected, m_seasons.selected);
        if (!t.ok) {
            r.error = t.error;
            return r;
        }
        r.plant = t.plant;
        r.ripe = t.ripe;
        r.seasonNo = t.seasonNo;
    } else {
        r.plant = m_plant;
        r.ripe = m_plant + crop.totalSpan;
        r.seasonNo = 1;
        // The file keeps 32-bit instants: a ripening past 2038 could not be stored.
        if (!TimeText::isStorable(r.plant) || !TimeText::isStorable(r.ripe)) {
            r.error = Schedule::unstorableText();
            return r;
        }
    }
    r.ok = true;
    return r;
}
