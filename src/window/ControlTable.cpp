#include "window/ControlTable.h"

namespace ControlTable {

namespace {

using K = Kind;

// Rows of the schedule panel.
constexpr int kPanelCaptionX = 256;
constexpr int kPanelValueX = 321;
constexpr int kPanelTop = 22;
constexpr int kPanelPitch = 17;

QString panelCaption(int season) {
    static const char16_t* const kCaptions[9] = {
        u"第一季成熟时间：", u"第二季成熟时间：", u"第三季成熟时间：",
        u"第四季成熟时间：", u"第五季成熟时间：", u"第六季成熟时间：",
        u"第七季成熟时间：", u"第八季成熟时间：", u"第九季成熟时间："};
    return QString::fromUtf16(kCaptions[season]);
}

void addPanelLines(std::vector<Control>& t, int first, int last) {
    for (int s = first; s <= last; ++s) {
        const int y = kPanelTop + s * kPanelPitch;
        t.push_back({Id::None, K::Static, panelCaption(s), kPanelCaptionX, y, 64, 8, None,
                     panelCaption(s)});
        t.push_back({kPanelValueIds[s], K::Static, QStringLiteral("2009-10-01 13：25"),
                     kPanelValueX, y, 80, 8, None, panelCaption(s)});
    }
}

std::vector<Control> build() {
    std::vector<Control> t;
    auto add = [&t](Id id, Kind k, const QString& text, int x, int y, int w, int h,
                    quint32 flags = None, QString accessible = QString()) {
        t.push_back({id, k, text, x, y, w, h, flags, accessible.isEmpty() ? text : accessible});
    };
    add(Id::ControlsGroup, K::XPGroupBox, QStringLiteral("控制区域"), 0, 0, 412, 204);
    add(Id::Clock, K::Static, QStringLiteral("当前时间"), 36, 16, 188, 24, Centred | Sunken);
    add(Id::ClockCaption, K::InkLabel, QStringLiteral("当前时间"), 13, 19, 18, 15);
    add(Id::Add, K::Button, QStringLiteral("添加"), 13, 131, 50, 14);
    add(Id::Delete, K::Button, QStringLiteral("删除"), 75, 131, 50, 14);
    add(Id::PlantCaption, K::InkLabel, QStringLiteral("种植时间："), 13, 75, 41, 8);
    add(Id::PlantTime, K::DateTime, QString(), 59, 72, 106, 15, None, QStringLiteral("种植时间："));
    add(Id::CropCaption, K::InkLabel, QStringLiteral("作物选择："), 13, 52, 40, 8);
    add(Id::Crop, K::ComboBox, QString(), 170, 49, 52, 103, None, QStringLiteral("作物选择："));
    add(Id::NoteCaption, K::InkLabel, QStringLiteral("备注："), 80, 94, 25, 8);
    add(Id::Note, K::Edit, QString(), 110, 91, 64, 14, None, QStringLiteral("备注："));
    add(Id::AlertBox, K::CheckBox, QStringLiteral("对话框提示"), 173, 74, 56, 10);
    add(Id::FriendCrop, K::CheckBox, QStringLiteral("好友果实还有"), 14, 94, 64, 10);
    add(Id::None, K::GroupBox, QStringLiteral("果实时间表"), 0, 202, 412, 217);
    add(Id::ReminderList, K::ListView, QString(), 0, 213, 412, 211, None,
        QStringLiteral("果实时间表"));
    add(Id::FriendHours, K::DigitEdit, QString(), 14, 111, 40, 14, Disabled,
        QStringLiteral("小时"));
    add(Id::FriendMinutes, K::DigitEdit, QString(), 81, 110, 40, 14, Disabled,
        QStringLiteral("分钟"));
    add(Id::None, K::Static, QStringLiteral("小时"), 58, 114, 17, 8);
    add(Id::None, K::Static, QStringLiteral("分钟"), 126, 114, 17, 8);
    add(Id::NoteHint, K::InkLabel, QStringLiteral("备注上好友名字吧^_^"), 178, 94, 77, 8);
    add(Id::Stage, K::ComboBox, QString(), 200, 110, 49, 143, Disabled, QStringLiteral("成熟阶段"));
    add(Id::Season, K::ComboBox, QString(), 148, 110, 48, 110, Disabled, QStringLiteral("季数"));
    add(Id::ScheduleGroup, K::XPGroupBox, QStringLiteral("预计时间"), 249, 12, 158, 166);
    addPanelLines(t, 0, 4);
    add(Id::NextSeason, K::Button, QStringLiteral("下一季开始"), 13, 156, 50, 14, Disabled);
    add(Id::Lead, K::ComboBox, QString(), 171, 132, 35, 84, None, QStringLiteral("距离成熟"));
    add(Id::None, K::Static, QStringLiteral("距离成熟"), 131, 135, 33, 8);
    add(Id::None, K::Static, QStringLiteral("分钟提醒"), 213, 134, 33, 8);
    add(Id::ChooseMusic, K::Button, QStringLiteral("提醒音乐选择"), 74, 156, 50, 14);
    add(Id::MusicLabel, K::Static, QStringLiteral("默认音乐"), 103, 184, 301, 8);
    add(Id::None, K::Static, QStringLiteral("音乐："), 72, 183, 25, 8);
    add(Id::StopMusic, K::Button, QStringLiteral("停止音乐"), 137, 156, 50, 14);
    add(Id::Preview, K::Button, QStringLiteral("试听"), 13, 180, 50, 14);
    add(Id::Ordinary, K::Radio, QStringLiteral("普通作物"), 61, 51, 48, 10, NoTabStop);
    add(Id::RedSoil, K::Radio, QStringLiteral("红土地作物"), 111, 51, 56, 10, NoTabStop);
    addPanelLines(t, 5, 8);
    return t;
}

} // namespace

const std::vector<Control>& mainDialog() {
    static const std::vector<Control> table = build();
    return table;
}

QString objectName(Id id) {
    return QStringLiteral("idc_%1").arg(int(id));
}

} // namespace ControlTable
