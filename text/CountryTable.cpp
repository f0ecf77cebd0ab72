#include "text/CountryTable.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <string>

#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

struct SourceRow {
    const char* code;
    const char* chineseUtf8;
    const char* english;
};

// Kept exactly as the records and the server know them, misspellings and
// duplicate codes included; do not sort or tidy.
constexpr SourceRow kRows[] = {
    {"AF", "阿富汗", "Afghanistan"},
    {"AO", "安哥拉", "Angola"},
    {"AL", "阿尔巴尼亚", "Albania"},
    {"DZ", "阿尔及利亚", "Algeria"},
    {"AD", "安道尔共和国", "Andorra"},
    {"AI", "安圭拉岛", "Anguilla"},
    {"AG", "安提瓜和巴布达", "Antigua and Barbuda"},
    {"AR", "阿根廷", "Argentina"},
    {"AM", "亚美尼亚", "Armenia"},
    {"AU", "澳大利亚", "Australia"},
    {"AT", "奥地利", "Austria"},
    {"AZ", "阿塞拜疆", "Azerbaijan"},
    {"BS", "巴哈马", "Bahamas"},
    {"BH", "巴林", "Bahrain"},
    {"BD", "孟加拉国", "Bangladesh"},
    {"BB", "巴巴多斯", "Barbados"},
    {"BY", "白俄罗斯", "Belarus"},
    {"BE", "比利时", "Belgium"},
    {"BZ", "伯利兹", "Belize"},
    {"BJ", "贝宁", "Benin"},
    {"BM", "百慕大群岛", "Bermuda"},
    {"BO", "玻利维亚", "Bolivia"},
    {"BT", "不丹", "Bhutan"},
    {"BA", "波斯尼亚和黑塞哥维那", "Bosnia and Herzegovina"},
    {"BW", "博茨瓦纳", "Botswana"},
    {"BR", "巴西", "Brazil"},
    {"BN", "文莱", "Brunei"},
    {"BG", "保加利亚", "Bulgaria"},
    {"BF", "布基纳法索", "Burkina Faso"},
    {"MM", "缅甸", "Burma"},
    {"BI", "布隆迪", "Burundi"},
    {"CM", "喀麦隆", "Cameroon"},
    {"CA", "加拿大", "Canada"},
    {"KY", "开曼群岛", "Cayman Islands"},
    {"CF", "中非共和国", "Central African Republic"},
    {"TD", "乍得", "Chad"},
    {"CL", "智利", "Chile"},
    {"CN", "中国", "China"},
    {"CO", "哥伦比亚", "Colombia"},
    {"CG", "刚果", "Congo"},
    {"CK", "库克群岛", "Cook Islands"},
    {"CR", "哥斯达黎加", "Costa Rica"},
    {"HR", "克罗地亚", "Croatia"},
    {"CU", "古巴", "Cuba"},
    {"CY", "塞浦路斯", "Cyprus"},
    {"CZ", "捷克", "Czech Republic"},
    {"DK", "丹麦", "Denmark"},
    {"DJ", "吉布提", "Djibouti"},
    {"DM", "多米尼克", "Dominica"},
    {"DO", "多米尼加共和国", "Dominica Rep."},
    {"EC", "厄瓜多尔", "Ecuador"},
    {"EG", "埃及", "Egypt"},
    {"SV", "萨尔瓦多", "EI Salvador"},
    {"GQ", "赤道几内亚", "Equatorial Guinea"},
    {"ER", "厄立特里亚", "Eritrea"},
    {"EE", "爱沙尼亚", "Estonia"},
    {"ET", "埃塞俄比亚", "Ethiopia"},
    {"FO", "法罗群岛", "Faroe Islands"},
    {"FJ", "斐济", "Fiji"},
    {"FI", "芬兰", "Finland"},
    {"FR", "法国", "France"},
    {"GF", "法属圭亚那", "French Guiana"},
    {"GA", "加蓬", "Gabon"},
    {"GM", "冈比亚", "Gambia"},
    {"GE", "格鲁吉亚", "Georgia"},
    {"DE", "德国", "Germany"},
    {"GH", "加纳", "Ghana"},
    {"GI", "直布罗陀", "Gibraltar"},
    {"GB", "英国", "United Kingdom"},
    {"GR", "希腊", "Greece"},
    {"GL", "格陵兰", "Greenland"},
    {"GD", "格林纳达", "Grenada"},
    {"GU", "关岛", "Guam"},
    {"GP", "瓜德罗普", "Guadeloupe"},
    {"GT", "危地马拉", "Guatemala"},
    {"GG", "根西岛", "Guernsey"},
    {"GN", "几内亚", "Guinea"},
    {"GW", "几内亚比绍", "Guinea-Bissau"},
    {"GY", "圭亚那", "Guyana"},
    {"HT", "海地", "Haiti"},
    {"HN", "洪都拉斯", "Honduras"},
    {"HK", "香港", "Hongkong"},
    {"HU", "匈牙利", "Hungary"},
    {"IS", "冰岛", "Iceland"},
    {"ID", "印度尼西亚", "Indonesia"},
    {"IN", "印度", "India"},
    {"IR", "伊朗", "Iran"},
    {"IQ", "伊拉克", "Iraq"},
    {"IE", "爱尔兰", "Ireland"},
    {"IM", "马恩岛", "Isle of Man"},
    {"IL", "以色列", "Israel"},
    {"IT", "意大利", "Italy"},
    {"CI", "科特迪瓦", "Cote d'Ivoire"},
    {"JM", "牙买加", "Jamaica"},
    {"JP", "日本", "Japan"},
    {"JO", "约旦", "Jordan"},
    {"KH", "柬埔寨", "Cambodia"},
    {"KZ", "哈萨克斯坦", "Kazakhstan"},
    {"KE", "肯尼亚", "Kenya"},
    {"KI", "基里巴斯", "Kiribati"},
    {"KP", "朝鲜", "North Korea"},
    {"KR", "韩国", "Korea"},
    {"KW", "科威特", "Kuwait"},
    {"KG", "吉尔吉斯坦", "Kyrgyzstan"},
    {"LA", "老挝", "Laos"},
    {"LV", "拉脱维亚", "Latvia"},
    {"LB", "黎巴嫩", "Lebanon"},
    {"LS", "莱索托", "Lesotho"},
    {"LR", "利比里亚", "Liberia"},
    {"LY", "利比亚", "Libya"},
    {"LI", "列支敦士登", "Liechtenstein"},
    {"LT", "立陶宛", "Lithuania"},
    {"LU", "卢森堡", "Luxembourg"},
    {"MO", "澳门", "Macao"},
    {"MK", "马其顿", "Macedonia"},
    {"MG", "马达加斯加", "Madagascar"},
    {"MW", "马拉维", "Malawi"},
    {"MY", "马来西亚", "Malaysia"},
    {"MV", "马尔代夫", "Maldives"},
    {"ML", "马里", "Mali"},
    {"MT", "马耳他", "Malta"},
    {"MH", "马里亚那群岛", "Mariana Islands"},
    {"MQ", "马提尼克", "Martinique"},
    {"MR", "毛里塔尼亚", "Mauritania"},
    {"MU", "毛里求斯", "Mauritius"},
    {"YT", "马约特岛", "Mayotte"},
    {"MX", "墨西哥", "Mexico"},
    {"FM", "密克罗尼西亚", "Micronesia"},
    {"MD", "摩尔多瓦", "Moldova"},
    {"MC", "摩纳哥", "Monaco"},
    {"MN", "蒙古", "Mongolia"},
    {"ME", "黑山", "Montenegro"},
    {"MS", "蒙特塞拉特岛", "Montserrat Island"},
    {"MA", "摩洛哥", "Morocco"},
    {"MZ", "莫桑比克", "Mozambique"},
    {"NA", "纳米比亚", "Namibia"},
    {"NR", "瑙鲁", "Nauru"},
    {"NP", "尼泊尔", "Nepal"},
    {"NL", "荷兰", "Netherlands"},
    {"AN", "荷属安的列斯", "Netheriands Antilles"},
    {"NC", "新喀里多尼亚", "New Caledonia"},
    {"NZ", "新西兰", "New Zealand"},
    {"NI", "尼加拉瓜", "Nicaragua"},
    {"NE", "尼日尔", "Niger"},
    {"NG", "尼日利亚", "Nigeria"},
    {"NU", "纽埃", "Niue"},
    {"NF", "诺福克岛", "Norfolk Island"},
    {"MP", "北马里亚那群岛", "Northern Mariana Islands"},
    {"NO", "挪威", "Norway"},
    {"OM", "阿曼", "Oman"},
    {"PK", "巴基斯坦", "Pakistan"},
    {"PW", "帕劳", "Palau"},
    {"PS", "巴勒斯坦", "Palestine"},
    {"PA", "巴拿马", "Panama"},
    {"PG", "巴布亚新几内亚", "Papua New Guinea"},
    {"PY", "巴拉圭", "Paraguay"},
    {"PE", "秘鲁", "Peru"},
    {"PH", "菲律宾", "Philippines"},
    {"PL", "波兰", "Poland"},
    {"PF", "玻利尼西亚", "Polynesia"},
    {"PT", "葡萄牙", "Portugal"},
    {"PR", "波多黎各", "Puerto Rico"},
    {"QA", "卡塔尔", "Qatar"},
    {"RE", "留尼旺", "Reunion"},
    {"RO", "罗马尼亚", "Romania"},
    {"RU", "俄罗斯", "Russia"},
    {"RW", "卢旺达", "Rwanda"},
    {"SH", "圣赫勒拿岛", "Saint Helena"},
    {"KN", "圣基茨和尼维斯", "Saint Kitts and Nevis"},
    {"LC", "圣卢西亚", "Saint Lucia"},
    {"PM", "圣皮埃尔和密克隆群岛", "Saint Pierre and Miquelon"},
    {"VC", "圣文森特岛", "Saint Vincent"},
    {"WS", "西萨摩亚", "Samoa Western"},
    {"SM", "圣马力诺", "San Marino"},
    {"ST", "圣多美和普林西比", "Sao Tome and Principe"},
    {"SA", "沙特阿拉伯", "Saudi Arabia"},
    {"SN", "塞内加尔", "Senegal"},
    {"RS", "塞尔维亚", "Serbia"},
    {"SC", "塞舌尔", "Seychelles"},
    {"SL", "塞拉利昂", "Sierra Leone"},
    {"SG", "新加坡", "Singapore"},
    {"SK", "斯洛伐克", "Slovakia"},
    {"SI", "斯洛文尼亚", "Slovenia"},
    {"SB", "所罗门群岛", "Solomon Islands"},
    {"SO", "索马里", "Somali"},
    {"ZA", "南非", "South Africa"},
    {"GS", "南乔治亚岛与南桑威奇群岛", "South Georgia and the South Sandwich Islands"},
    {"ES", "西班牙", "Spain"},
    {"LK", "斯里兰卡", "Sri Lanka"},
    {"SD", "苏丹", "Sudan"},
    {"SR", "苏里南", "Suriname"},
    {"SJ", "斯瓦尔巴群岛和扬马延岛", "Svalbard and Jan Mayen"},
    {"SZ", "斯威士兰", "Swaziland"},
    {"SE", "瑞典", "Sweden"},
    {"CH", "瑞士", "Switzerland"},
    {"SY", "叙利亚", "Syria"},
    {"TW", "台湾", "Taiwan"},
    {"TJ", "塔吉克斯坦", "Tajikistan"},
    {"TZ", "坦桑尼亚", "Tanzania"},
    {"TH", "泰国", "Thailand"},
    {"TL", "东帝汶", "Timor-Leste"},
    {"TG", "多哥", "Togo"},
    {"TK", "托克劳", "Tokelau"},
    {"TO", "汤加", "Tonga"},
    {"TT", "特立尼达和多巴哥", "Trinidad and Tobago"},
    {"TN", "突尼斯", "Tunisia"},
    {"TR", "土耳其", "Turkey"},
    {"TM", "土库曼斯坦", "Turkmenistan"},
    {"TC", "特克斯和凯科斯群岛", "Turks and Caicos Islands"},
    {"TV", "图瓦卢", "Tuvalu"},
    {"UG", "乌干达", "Uganda"},
    {"UA", "乌克兰", "Ukraine"},
    {"AE", "阿拉伯联合酋长国", "United Arab Emirates"},
    {"US", "美国", "United States"},
    {"UY", "乌拉圭", "Uruguay"},
    {"UZ", "乌兹别克斯坦", "Uzbekistan"},
    {"VU", "瓦努阿图", "Vanuatu"},
    {"VA", "梵蒂冈城", "Vatican City"},
    {"VE", "委内瑞拉", "Venezuela"},
    {"VN", "越南", "Vietnam"},
    {"VG", "英属维尔京群岛", "British Virgin Islands"},
    {"VI", "美属维尔京群岛", "The United States Virgin Islands"},
    {"WF", "瓦利斯和富图纳群岛", "Wallis and Futuna Islands"},
    {"EH", "西撒哈拉", "Western Sahara"},
    {"YE", "也门", "Yemen"},
    {"ZW", "津巴布韦", "Zimbabwe"},
    {"CD", "刚果民主共和国", "Congo, Democratic Republic of"},
    {"ZM", "赞比亚", "Zambia"},
    {"AW", "阿鲁巴", "Aruba"},
    {"BW", "博茨瓦那", "Botswana"},
    {"TP", "大溪地", "Tahiti"},
    {"FP", "法属波利尼西亚", "French Polynesia"},
    {"FK", "福克兰群岛", "Falkland Islands"},
    {"KG", "吉尔吉斯斯坦", "Kyrgyzstan"},
    {"KM", "科摩罗", "Comoros"},
    {"MH", "马绍尔群岛", "Marshall Islands"},
    {"MS", "蒙特塞拉岛", "Montserrado"},
    {"SP", "塞班岛", "Saipan"},
    {"RS", "赛普路斯", "Saipulusi"},
    {"JE", "泽西岛", "Jersey"},
};

constexpr std::size_t kRowCount = std::size(kRows);
static_assert(kRowCount == 240);

// The Chinese names are written in UTF-8 for readability and converted to
// GBK once, on first use.
struct GbkTable {
    std::array<std::string, kRowCount> chinese;
    std::array<CountryRow, kRowCount> rows;

    GbkTable() {
        for (std::size_t i = 0; i < kRowCount; ++i) {
            chinese[i] = Utf8ToGbk(kRows[i].chineseUtf8);
            rows[i] = CountryRow{kRows[i].code, chinese[i], kRows[i].english};
        }
    }
    GbkTable(const GbkTable&) = delete;  // rows point into chinese
    GbkTable& operator=(const GbkTable&) = delete;
};

const GbkTable& Table() {
    static const GbkTable table;
    return table;
}

}  // namespace

std::span<const CountryRow> CountryTable() { return Table().rows; }

const CountryRow* FindCountryByCode(std::string_view code) {
    for (const CountryRow& row : CountryTable())
        if (CompareNoCase(row.code, code) == 0) return &row;
    return nullptr;
}

}  // namespace tallux
