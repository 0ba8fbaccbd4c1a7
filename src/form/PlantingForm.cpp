#include "form/PlantingForm.h"

#include "catalogue/Schedule.h"
#include "catalogue/TimeText.h"

PlantingForm::PlantingForm(qint64 now) : m_plant(ClampPlant(now)) {
    m_panel.fill(PlaceholderLine());
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

qint64 PlantingForm::ClampPlant(qint64 t) {
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

CropSpec PlantingForm::SelectedCrop() const {
    return CropCatalogue::GetCrop(m_nSoilKind, m_crops.selected);
}

void PlantingForm::OnCropSelChange(qint64 now) {
    const CropSpec crop = SelectedCrop();
    m_seasons.items.clear();
    for (int s = 0; s < crop.seasons && s < kMaxSeasons; ++s)
        m_seasons.items << CropCatalogue::SeasonName(s);
    // An unknown crop still leaves a season to choose, so adding always has one.
    if (m_seasons.items.isEmpty())
        m_seasons.items << CropCatalogue::SeasonName(0);
    m_seasons.selected = 0;
    FillStageList(0);
    m_plant = ClampPlant(now);
    RefreshSchedule();
}

void PlantingForm::OnSeasonSelChange() {
    FillStageList(m_seasons.selected);
}

void PlantingForm::OnPlantTimeChange() {
    RefreshSchedule();
}

void PlantingForm::OnFriendCropClicked(bool checked) {
    m_bFriend = checked;
    m_strHours = checked ? FriendHoursDefault() : QString();
    m_strMinutes = checked ? FriendMinutesDefault() : QString();
}

void PlantingForm::RefreshSchedule() {
    const CropSpec crop = SelectedCrop();
    for (int k = 1; k <= kPanelLines; ++k)
        m_panel[k - 1] = k <= crop.seasons
                             ? TimeText::Format(Schedule::RipeningTime(m_plant, crop, k))
                             : NoSeasonLine();
}

void PlantingForm::ShowRowSchedule(int cropIndex, const QString& cropName, qint64 plant,
                                   int seasonNo) {
    const CropSpec crop = CropCatalogue::ResolveCrop(cropIndex, cropName);
    for (int k = 1; k <= kPanelLines; ++k) {
        if (k > crop.seasons)
            m_panel[k - 1] = NoSeasonLine();
        else if (k < seasonNo)
            m_panel[k - 1] = RipenedLine();
        else
            m_panel[k - 1] = TimeText::Format(Schedule::RipeningTime(plant, crop, k));
    }
}

PlantingForm::NewReminder PlantingForm::Describe(qint64 reference) const {
    NewReminder r;
    const CropSpec crop = SelectedCrop();
    r.cropIndex = m_crops.selected;
    r.cropName = crop.name;
    if (m_bFriend) {
        const Schedule::FriendTimes t =
            Schedule::FriendCropTimes(reference, m_strHours, m_strMinutes, r.cropIndex, r.cropName,
                                      m_stages.selected, m_seasons.selected);
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
        if (!TimeText::IsStorable(r.plant) || !TimeText::IsStorable(r.ripe)) {
            r.error = Schedule::UnstorableText();
            return r;
        }
    }
    r.ok = true;
    return r;
}
