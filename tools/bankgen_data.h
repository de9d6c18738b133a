// The word lists the bank directory generator draws from: bank categories with their clearing
// codes, cities with their area codes and districts, place words and branch kinds.
#pragma once

#include <array>

namespace bankgen {

// How a category names its branches.
enum class Style {
    National,         // "<bank><city><place>支行"
    Policy,           // policy banks: provincial and city branches
    CityBank,         // "<city>银行<place>支行"
    RuralCommercial,  // "<city>农村商业银行<place>支行"
    RuralCooperative,
    VillageBank,
    RuralCredit,  // "<city>农村信用合作联社<place>信用社"
    Postal,
    Fictional,  // our own bank, only in Sichuan
};

struct Bank {
    int code;                     // the 3-digit category code of the clearing number
    const char16_t* shortName;    // empty for styles that build the name from the city
    const char16_t* companyForm;  // what the legal name adds after the short name
    int weight;                   // share of the directory's rows
    Style style;
};

inline constexpr std::array kBanks = {
    Bank{102, u"中国工商银行", u"股份有限公司", 16500, Style::National},
    Bank{103, u"中国农业银行", u"股份有限公司", 22000, Style::National},
    Bank{104, u"中国银行", u"股份有限公司", 10500, Style::National},
    Bank{105, u"中国建设银行", u"股份有限公司", 14000, Style::National},
    Bank{201, u"国家开发银行", u"", 120, Style::Policy},
    Bank{202, u"中国进出口银行", u"", 40, Style::Policy},
    Bank{203, u"中国农业发展银行", u"", 2100, Style::Policy},
    Bank{301, u"交通银行", u"股份有限公司", 3100, Style::National},
    Bank{302, u"中信银行", u"股份有限公司", 1400, Style::National},
    Bank{303, u"中国光大银行", u"股份有限公司", 1200, Style::National},
    Bank{304, u"华夏银行", u"股份有限公司", 1000, Style::National},
    Bank{305, u"中国民生银行", u"股份有限公司", 1300, Style::National},
    Bank{306, u"广发银行", u"股份有限公司", 900, Style::National},
    Bank{307, u"平安银行", u"股份有限公司", 1000, Style::National},
    Bank{308, u"招商银行", u"股份有限公司", 1800, Style::National},
    Bank{309, u"兴业银行", u"股份有限公司", 1900, Style::National},
    Bank{310, u"上海浦东发展银行", u"股份有限公司", 1700, Style::National},
    Bank{313, u"", u"股份有限公司", 13300, Style::CityBank},
    Bank{313, u"星澜聚川银行", u"股份有限公司", 240, Style::Fictional},
    Bank{314, u"", u"股份有限公司", 17500, Style::RuralCommercial},
    Bank{315, u"恒丰银行", u"股份有限公司", 300, Style::National},
    Bank{316, u"浙商银行", u"股份有限公司", 300, Style::National},
    Bank{317, u"", u"", 1200, Style::RuralCooperative},
    Bank{318, u"渤海银行", u"股份有限公司", 300, Style::National},
    Bank{320, u"", u"股份有限公司", 1700, Style::VillageBank},
    Bank{402, u"", u"", 12000, Style::RuralCredit},
    Bank{403, u"中国邮政储蓄银行", u"股份有限公司", 8000, Style::Postal},
};

struct Province {
    const char16_t* name;  // as used in branch names, with its suffix
    bool municipality;     // Beijing, Tianjin, Shanghai, Chongqing: the city is the province
};

inline constexpr std::array kProvinces = {
    Province{u"北京市", true},
    Province{u"天津市", true},
    Province{u"河北省", false},
    Province{u"山西省", false},
    Province{u"内蒙古自治区", false},
    Province{u"辽宁省", false},
    Province{u"吉林省", false},
    Province{u"黑龙江省", false},
    Province{u"上海市", true},
    Province{u"江苏省", false},
    Province{u"浙江省", false},
    Province{u"安徽省", false},
    Province{u"福建省", false},
    Province{u"江西省", false},
    Province{u"山东省", false},
    Province{u"河南省", false},
    Province{u"湖北省", false},
    Province{u"湖南省", false},
    Province{u"广东省", false},
    Province{u"广西壮族自治区", false},
    Province{u"海南省", false},
    Province{u"四川省", false},
    Province{u"重庆市", true},
    Province{u"贵州省", false},
    Province{u"云南省", false},
    Province{u"西藏自治区", false},
    Province{u"陕西省", false},
    Province{u"甘肃省", false},
    Province{u"青海省", false},
    Province{u"宁夏回族自治区", false},
    Province{u"新疆维吾尔自治区", false},
};

enum ProvinceIndex {
    kBeijing,
    kTianjin,
    kHebei,
    kShanxi,
    kNeimenggu,
    kLiaoning,
    kJilin,
    kHeilongjiang,
    kShanghai,
    kJiangsu,
    kZhejiang,
    kAnhui,
    kFujian,
    kJiangxi,
    kShandong,
    kHenan,
    kHubei,
    kHunan,
    kGuangdong,
    kGuangxi,
    kHainan,
    kSichuan,
    kChongqing,
    kGuizhou,
    kYunnan,
    kXizang,
    kShaanxi,
    kGansu,
    kQinghai,
    kNingxia,
    kXinjiang,
};

struct City {
    const char16_t* name;  // short form, as in "中国银行股份有限公司<city>..."
    int area;              // 4-digit area code of the clearing number
    int province;
    int weight;                 // relative number of branches
    const char16_t* districts;  // blank-separated, empty when none are listed
    const char16_t* cityBank;   // the city commercial bank named after it, if any
};

inline constexpr std::array kCities = {
    City{u"北京", 1000, kBeijing, 60,
         u"东城 西城 朝阳 海淀 丰台 石景山 通州 顺义 昌平 大兴 房山 门头沟 怀柔 平谷 密云 延庆",
         u"北京银行"},
    City{u"天津", 1100, kTianjin, 30,
         u"和平 河东 河西 南开 河北 红桥 滨海新区 东丽 西青 津南 北辰 武清 宝坻 宁河 静海 蓟州",
         u"天津银行"},
    City{u"石家庄", 1210, kHebei, 16, u"长安 桥西 新华 裕华 井陉矿区 藁城 鹿泉 栾城 正定 辛集",
         u"河北银行"},
    City{u"唐山", 1240, kHebei, 9, u"路南 路北 古冶 开平 丰南 丰润 曹妃甸 迁安 遵化", u"唐山银行"},
    City{u"秦皇岛", 1260, kHebei, 5, u"海港 山海关 北戴河 抚宁 昌黎", u""},
    City{u"邯郸", 1270, kHebei, 8, u"邯山 丛台 复兴 峰峰矿区 肥乡 永年 武安", u"邯郸银行"},
    City{u"邢台", 1310, kHebei, 6, u"", u"邢台银行"},
    City{u"保定", 1340, kHebei, 9, u"竞秀 莲池 满城 清苑 徐水 涿州 定州 安国 高碑店", u"保定银行"},
    City{u"张家口", 1380, kHebei, 5, u"", u"张家口银行"},
    City{u"沧州", 1430, kHebei, 7, u"新华 运河 泊头 任丘 黄骅 河间", u"沧州银行"},
    City{u"廊坊", 1460, kHebei, 6, u"安次 广阳 霸州 三河 固安 香河", u"廊坊银行"},
    City{u"太原", 1610, kShanxi, 12, u"小店 迎泽 杏花岭 尖草坪 万柏林 晋源 古交 清徐", u"晋商银行"},
    City{u"大同", 1620, kShanxi, 5, u"", u"大同银行"},
    City{u"长治", 1640, kShanxi, 5, u"", u"长治银行"},
    City{u"晋城", 1680, kShanxi, 4, u"", u"晋城银行"},
    City{u"运城", 1810, kShanxi, 5, u"", u""},
    City{u"呼和浩特", 1910, kNeimenggu, 7, u"新城 回民 玉泉 赛罕 土默特左旗 托克托", u""},
    City{u"包头", 1920, kNeimenggu, 6, u"东河 昆都仑 青山 石拐 九原", u"包商银行"},
    City{u"鄂尔多斯", 2050, kNeimenggu, 5, u"东胜 康巴什 达拉特旗 准格尔旗", u"鄂尔多斯银行"},
    City{u"赤峰", 1940, kNeimenggu, 4, u"", u""},
    City{u"沈阳", 2210, kLiaoning, 16, u"和平 沈河 大东 皇姑 铁西 苏家屯 浑南 沈北 于洪 辽中 新民",
         u"盛京银行"},
    City{u"大连", 2220, kLiaoning, 13, u"中山 西岗 沙河口 甘井子 旅顺口 金州 普兰店 瓦房店 庄河",
         u"大连银行"},
    City{u"鞍山", 2230, kLiaoning, 6, u"铁东 铁西 立山 千山 海城", u"鞍山银行"},
    City{u"抚顺", 2240, kLiaoning, 4, u"", u"抚顺银行"},
    City{u"丹东", 2260, kLiaoning, 4, u"", u"丹东银行"},
    City{u"锦州", 2270, kLiaoning, 4, u"", u"锦州银行"},
    City{u"营口", 2280, kLiaoning, 4, u"", u"营口银行"},
    City{u"长春", 2410, kJilin, 12, u"南关 宽城 朝阳 二道 绿园 双阳 九台 农安 榆树 德惠",
         u"长春发展农村商业银行"},
    City{u"吉林", 2420, kJilin, 6, u"昌邑 龙潭 船营 丰满 蛟河 桦甸 舒兰 磐石", u"吉林银行"},
    City{u"四平", 2430, kJilin, 3, u"", u""},
    City{u"延边", 2490, kJilin, 3, u"延吉 图们 敦化 珲春 龙井 和龙", u""},
    City{u"哈尔滨", 2610, kHeilongjiang, 14,
         u"道里 南岗 道外 平房 松北 香坊 呼兰 阿城 双城 尚志 五常", u"哈尔滨银行"},
    City{u"齐齐哈尔", 2640, kHeilongjiang, 6, u"", u"龙江银行"},
    City{u"大庆", 2690, kHeilongjiang, 6, u"萨尔图 龙凤 让胡路 红岗 大同", u""},
    City{u"牡丹江", 2750, kHeilongjiang, 4, u"", u""},
    City{u"佳木斯", 2720, kHeilongjiang, 4, u"", u""},
    City{u"上海", 2900, kShanghai, 60,
         u"黄浦 徐汇 长宁 静安 普陀 虹口 杨浦 闵行 宝山 嘉定 浦东 金山 松江 青浦 奉贤 崇明",
         u"上海银行"},
    City{u"南京", 3010, kJiangsu, 20, u"玄武 秦淮 建邺 鼓楼 浦口 栖霞 雨花台 江宁 六合 溧水 高淳",
         u"南京银行"},
    City{u"无锡", 3020, kJiangsu, 13, u"梁溪 锡山 惠山 滨湖 新吴 江阴 宜兴", u""},
    City{u"徐州", 3030, kJiangsu, 10, u"鼓楼 云龙 贾汪 泉山 铜山 丰县 沛县 睢宁 新沂 邳州", u""},
    City{u"常州", 3040, kJiangsu, 10, u"天宁 钟楼 新北 武进 金坛 溧阳", u""},
    City{u"苏州", 3050, kJiangsu, 20, u"姑苏 虎丘 吴中 相城 吴江 常熟 张家港 昆山 太仓",
         u"苏州银行"},
    City{u"南通", 3060, kJiangsu, 10, u"崇川 通州 海门 如东 启东 如皋 海安", u""},
    City{u"连云港", 3070, kJiangsu, 5, u"", u""},
    City{u"淮安", 3080, kJiangsu, 6, u"", u""},
    City{u"盐城", 3110, kJiangsu, 8, u"亭湖 盐都 大丰 东台 建湖 射阳 阜宁", u""},
    City{u"扬州", 3120, kJiangsu, 7, u"广陵 邗江 江都 仪征 高邮 宝应", u""},
    City{u"镇江", 3140, kJiangsu, 6, u"京口 润州 丹徒 丹阳 扬中 句容", u""},
    City{u"泰州", 3128, kJiangsu, 6, u"", u""},
    City{u"杭州", 3310, kZhejiang, 22,
         u"上城 拱墅 西湖 滨江 萧山 余杭 临平 钱塘 富阳 临安 桐庐 淳安 建德", u"杭州银行"},
    City{u"宁波", 3320, kZhejiang, 16, u"海曙 江北 北仑 镇海 鄞州 奉化 余姚 慈溪 象山 宁海",
         u"宁波银行"},
    City{u"温州", 3330, kZhejiang, 12, u"鹿城 龙湾 瓯海 洞头 瑞安 乐清 永嘉 平阳 苍南",
         u"温州银行"},
    City{u"嘉兴", 3350, kZhejiang, 7, u"南湖 秀洲 海宁 平湖 桐乡 嘉善 海盐", u"嘉兴银行"},
    City{u"湖州", 3360, kZhejiang, 6, u"吴兴 南浔 德清 长兴 安吉", u"湖州银行"},
    City{u"绍兴", 3370, kZhejiang, 8, u"越城 柯桥 上虞 诸暨 嵊州 新昌", u"绍兴银行"},
    City{u"金华", 3380, kZhejiang, 9, u"婺城 金东 兰溪 义乌 东阳 永康 武义 浦江", u"金华银行"},
    City{u"台州", 3450, kZhejiang, 8, u"椒江 黄岩 路桥 临海 温岭 玉环 天台 仙居", u"台州银行"},
    City{u"合肥", 3610, kAnhui, 14, u"瑶海 庐阳 蜀山 包河 长丰 肥东 肥西 庐江 巢湖", u"徽商银行"},
    City{u"芜湖", 3620, kAnhui, 7, u"镜湖 弋江 鸠江 湾沚 繁昌 无为", u""},
    City{u"蚌埠", 3630, kAnhui, 5, u"", u""},
    City{u"安庆", 3680, kAnhui, 6, u"", u""},
    City{u"阜阳", 3720, kAnhui, 6, u"", u""},
    City{u"福州", 3910, kFujian, 12, u"鼓楼 台江 仓山 马尾 晋安 长乐 福清 闽侯 连江",
         u"福建海峡银行"},
    City{u"厦门", 3930, kFujian, 11, u"思明 海沧 湖里 集美 同安 翔安", u"厦门银行"},
    City{u"泉州", 3970, kFujian, 10, u"鲤城 丰泽 洛江 泉港 石狮 晋江 南安 惠安 安溪", u"泉州银行"},
    City{u"漳州", 3990, kFujian, 5, u"", u""},
    City{u"龙岩", 4050, kFujian, 4, u"", u""},
    City{u"南昌", 4210, kJiangxi, 12, u"东湖 西湖 青云谱 青山湖 新建 红谷滩 南昌县 进贤",
         u"江西银行"},
    City{u"九江", 4240, kJiangxi, 6, u"濂溪 浔阳 柴桑 瑞昌 共青城 庐山", u"九江银行"},
    City{u"赣州", 4280, kJiangxi, 7, u"章贡 南康 赣县 瑞金 龙南", u"赣州银行"},
    City{u"上饶", 4330, kJiangxi, 5, u"", u"上饶银行"},
    City{u"济南", 4510, kShandong, 16,
         u"历下 市中 槐荫 天桥 历城 长清 章丘 济阳 莱芜 钢城 平阴 商河", u"齐鲁银行"},
    City{u"青岛", 4520, kShandong, 15, u"市南 市北 黄岛 崂山 李沧 城阳 即墨 胶州 平度 莱西",
         u"青岛银行"},
    City{u"淄博", 4530, kShandong, 7, u"淄川 张店 博山 临淄 周村 桓台", u""},
    City{u"烟台", 4560, kShandong, 9, u"芝罘 福山 牟平 莱山 蓬莱 龙口 莱阳 莱州 招远 海阳",
         u"烟台银行"},
    City{u"潍坊", 4580, kShandong, 9, u"潍城 寒亭 坊子 奎文 青州 诸城 寿光 高密 昌邑", u"潍坊银行"},
    City{u"济宁", 4610, kShandong, 7, u"", u"济宁银行"},
    City{u"临沂", 4730, kShandong, 8, u"兰山 罗庄 河东 沂南 郯城 沂水 兰陵 费县 平邑", u"临商银行"},
    City{u"威海", 4650, kShandong, 5, u"环翠 文登 荣成 乳山", u"威海市商业银行"},
    City{u"郑州", 4910, kHenan, 18, u"中原 二七 管城 金水 上街 惠济 巩义 荥阳 新密 新郑 登封 中牟",
         u"郑州银行"},
    City{u"开封", 4920, kHenan, 5, u"", u""},
    City{u"洛阳", 4930, kHenan, 8, u"老城 西工 瀍河 涧西 洛龙 偃师 孟津 新安 宜阳", u"洛阳银行"},
    City{u"平顶山", 4950, kHenan, 5, u"", u"平顶山银行"},
    City{u"新乡", 4980, kHenan, 6, u"", u""},
    City{u"南阳", 5130, kHenan, 8, u"宛城 卧龙 邓州 南召 方城 西峡 镇平 内乡 唐河", u""},
    City{u"周口", 5080, kHenan, 6, u"", u""},
    City{u"武汉", 5210, kHubei, 20,
         u"江岸 江汉 硚口 汉阳 武昌 青山 洪山 东西湖 汉南 蔡甸 江夏 黄陂 新洲", u"汉口银行"},
    City{u"黄石", 5220, kHubei, 4, u"", u""},
    City{u"十堰", 5230, kHubei, 4, u"", u""},
    City{u"宜昌", 5260, kHubei, 7, u"西陵 伍家岗 点军 猇亭 夷陵 宜都 当阳 枝江", u""},
    City{u"襄阳", 5280, kHubei, 7, u"襄城 樊城 襄州 老河口 枣阳 宜城", u""},
    City{u"荆州", 5370, kHubei, 6, u"", u""},
    City{u"长沙", 5510, kHunan, 16, u"芙蓉 天心 岳麓 开福 雨花 望城 长沙县 浏阳 宁乡", u"长沙银行"},
    City{u"株洲", 5520, kHunan, 5, u"", u""},
    City{u"湘潭", 5530, kHunan, 5, u"", u""},
    City{u"衡阳", 5540, kHunan, 7, u"", u""},
    City{u"岳阳", 5570, kHunan, 6, u"", u""},
    City{u"常德", 5580, kHunan, 6, u"", u""},
    City{u"广州", 5810, kGuangdong, 30, u"越秀 海珠 荔湾 天河 白云 黄埔 番禺 花都 南沙 从化 增城",
         u"广州银行"},
    City{u"韶关", 5820, kGuangdong, 4, u"", u""},
    City{u"深圳", 5840, kGuangdong, 30, u"福田 罗湖 南山 盐田 宝安 龙岗 龙华 坪山 光明", u""},
    City{u"珠海", 5850, kGuangdong, 7, u"香洲 斗门 金湾 横琴", u"珠海华润银行"},
    City{u"汕头", 5860, kGuangdong, 7, u"金平 龙湖 濠江 潮阳 潮南 澄海", u""},
    City{u"佛山", 5880, kGuangdong, 15, u"禅城 南海 顺德 三水 高明", u""},
    City{u"江门", 5890, kGuangdong, 6, u"", u""},
    City{u"湛江", 5910, kGuangdong, 6, u"", u""},
    City{u"惠州", 5950, kGuangdong, 7, u"惠城 惠阳 博罗 惠东 龙门", u""},
    City{u"东莞", 6020, kGuangdong, 16, u"莞城 南城 东城 万江 虎门 长安 常平 塘厦 松山湖",
         u"东莞银行"},
    City{u"中山", 6030, kGuangdong, 8, u"石岐 东区 西区 南区 小榄 古镇 三乡", u""},
    City{u"南宁", 6110, kGuangxi, 11, u"兴宁 青秀 江南 西乡塘 良庆 邕宁 武鸣", u"广西北部湾银行"},
    City{u"柳州", 6140, kGuangxi, 6, u"城中 鱼峰 柳南 柳北 柳江", u"柳州银行"},
    City{u"桂林", 6170, kGuangxi, 6, u"秀峰 叠彩 象山 七星 雁山 临桂 阳朔", u"桂林银行"},
    City{u"玉林", 6240, kGuangxi, 4, u"", u""},
    City{u"海口", 6410, kHainan, 7, u"秀英 龙华 琼山 美兰", u"海南银行"},
    City{u"三亚", 6420, kHainan, 4, u"海棠 吉阳 天涯 崖州", u""},
    City{u"成都", 6510, kSichuan, 26,
         u"锦江 青羊 金牛 武侯 成华 龙泉驿 青白江 新都 温江 双流 郫都 新津 都江堰 彭州 邛崃 "
         u"崇州 简阳 金堂 大邑 蒲江",
         u"成都银行"},
    City{u"自贡", 6550, kSichuan, 4, u"自流井 贡井 大安 沿滩 荣县 富顺", u"自贡银行"},
    City{u"攀枝花", 6560, kSichuan, 3, u"东区 西区 仁和 米易 盐边", u"攀枝花市商业银行"},
    City{u"泸州", 6570, kSichuan, 5, u"江阳 纳溪 龙马潭 泸县 合江 叙永 古蔺", u"泸州银行"},
    City{u"德阳", 6580, kSichuan, 5, u"旌阳 罗江 广汉 什邡 绵竹 中江", u"德阳银行"},
    City{u"绵阳", 6590, kSichuan, 6, u"涪城 游仙 安州 江油 三台 盐亭 梓潼 平武", u"绵阳市商业银行"},
    City{u"乐山", 6650, kSichuan, 4, u"市中 沙湾 五通桥 金口河 峨眉山 犍为 夹江",
         u"乐山市商业银行"},
    City{u"南充", 6730, kSichuan, 6, u"顺庆 高坪 嘉陵 阆中 南部 营山 蓬安 仪陇 西充",
         u"南充市商业银行"},
    City{u"宜宾", 6710, kSichuan, 5, u"翠屏 南溪 叙州 江安 长宁 高县 珙县 筠连 兴文 屏山",
         u"宜宾市商业银行"},
    City{u"达州", 6750, kSichuan, 5, u"通川 达川 万源 宣汉 开江 大竹 渠县", u"达州银行"},
    City{u"重庆", 6530, kChongqing, 40,
         u"渝中 江北 南岸 沙坪坝 九龙坡 大渡口 渝北 巴南 北碚 万州 涪陵 永川 合川 江津 綦江 黔江",
         u"重庆银行"},
    City{u"贵阳", 7010, kGuizhou, 9, u"南明 云岩 花溪 乌当 白云 观山湖 清镇 修文 开阳 息烽",
         u"贵阳银行"},
    City{u"遵义", 7030, kGuizhou, 6, u"红花岗 汇川 播州 仁怀 赤水", u""},
    City{u"六盘水", 7020, kGuizhou, 3, u"", u""},
    City{u"昆明", 7310, kYunnan, 11, u"五华 盘龙 官渡 西山 东川 呈贡 晋宁 安宁 嵩明 宜良",
         u"富滇银行"},
    City{u"曲靖", 7360, kYunnan, 5, u"", u"曲靖市商业银行"},
    City{u"玉溪", 7410, kYunnan, 4, u"", u""},
    City{u"大理", 7510, kYunnan, 4, u"大理 祥云 宾川 弥渡 漾濞 鹤庆", u""},
    City{u"拉萨", 7700, kXizang, 3, u"城关 堆龙德庆 达孜 林周 曲水", u"西藏银行"},
    City{u"西安", 7910, kShaanxi, 18,
         u"新城 碑林 莲湖 灞桥 未央 雁塔 阎良 临潼 长安 高陵 鄠邑 蓝田 周至", u"西安银行"},
    City{u"宝鸡", 7930, kShaanxi, 5, u"渭滨 金台 陈仓 凤翔 岐山 扶风 眉县", u""},
    City{u"咸阳", 7950, kShaanxi, 5, u"秦都 渭城 兴平 彬州 三原 泾阳 乾县 礼泉", u""},
    City{u"榆林", 8060, kShaanxi, 5, u"榆阳 横山 神木 府谷 靖边 定边", u""},
    City{u"兰州", 8210, kGansu, 9, u"城关 七里河 西固 安宁 红古 永登 皋兰 榆中", u"兰州银行"},
    City{u"天水", 8250, kGansu, 4, u"", u""},
    City{u"酒泉", 8260, kGansu, 3, u"", u""},
    City{u"西宁", 8510, kQinghai, 5, u"城东 城中 城西 城北 湟中 湟源 大通", u"青海银行"},
    City{u"海东", 8520, kQinghai, 2, u"乐都 平安 民和 互助 化隆 循化", u""},
    City{u"银川", 8710, kNingxia, 5, u"兴庆 西夏 金凤 永宁 贺兰 灵武", u"宁夏银行"},
    City{u"石嘴山", 8720, kNingxia, 2, u"", u"石嘴山银行"},
    City{u"乌鲁木齐", 8810, kXinjiang, 9, u"天山 沙依巴克 新市 水磨沟 头屯河 达坂城 米东",
         u"乌鲁木齐银行"},
    City{u"克拉玛依", 8820, kXinjiang, 3, u"", u"克拉玛依市商业银行"},
    City{u"伊犁", 8980, kXinjiang, 3, u"伊宁 奎屯 霍尔果斯", u""},
    City{u"喀什", 8940, kXinjiang, 3, u"", u""},
};

// Place words of a branch: streets, quarters, zones and landmarks.
inline constexpr const char16_t* kPlaces =
    u"人民路 解放路 中山路 建设路 新华路 胜利路 和平路 长江路 黄河路 文化路 光明路 东风路 "
    u"青年路 民主路 延安路 北京路 南京路 上海路 湖滨路 滨江路 迎宾路 朝阳路 友谊路 团结路 "
    u"工业园 开发区 高新区 经济开发区 经济技术开发区 城东 城西 城南 城北 城关 火车站 新城 "
    u"老城 南门 北门 东门 西门 广场 滨江 滨河 湖滨 花园 金桥 银河 世纪大道 府前 站前 新村 "
    u"鼓楼 钟楼 南湖 西湖 东湖 北湖 望江 临江 锦绣 阳光 幸福 康乐 学府 大学城 科技园 软件园 "
    u"物流园 港区 保税区 机场 航空港 南山 北山 东山 西山 桥东 桥西 河东 河西 江北 江南 "
    u"金融街 中心 商贸城 国贸 万达广场 体育中心 会展中心 市民中心 新区 南郊 北郊 东郊 西郊 "
    u"城中 新华 长安 龙湖 凤凰 白鹭 海滨 金沙 银杏 梧桐 桂花 青松 紫荆 玉兰 翠湖 明珠 "
    u"红旗 东方红 向阳 红星 前进 振兴 兴业 繁荣 昌盛 富民 惠民 安居 宜居 丰收 龙泉 "
    u"天河 星光 华侨城 人民广场 步行街 南大街 北大街 东大街 西大街 中大街 环城 二环 三环";

// Places that carry Latin letters or digits, as some real branch names do.
inline constexpr const char16_t* kLatinPlaces =
    u"CBD 国贸CBD SOHO 中关村SOHO IFC BRT 万达A区 科技园B区 软件园C座 IT园 "
    u"金融港A座 创新港 8号楼 5号院 798 东区1号 云谷2期 高新区3期 U谷 V中心";

// Kinds of branch and their share, in per mille.
struct BranchKind {
    const char16_t* name;
    int perMille;
};

inline constexpr std::array kBranchKinds = {
    BranchKind{u"支行", 780},  BranchKind{u"分理处", 90}, BranchKind{u"营业部", 30},
    BranchKind{u"储蓄所", 60}, BranchKind{u"营业室", 20}, BranchKind{u"营业所", 20},
};

// Chinese numerals for numbered offices ("第三储蓄所").
inline constexpr std::array kNumerals = {u"一", u"二", u"三", u"四", u"五",
                                         u"六", u"七", u"八", u"九", u"十"};

}  // namespace bankgen
