#include "dossiers/DossierPages.h"

#include <array>

namespace {

constexpr bool S = false;  // single-line edit
constexpr bool M = true;   // multi-line edit

constexpr DossierField kBuyer[] = {
    {1056, "&Date of birth", "buyer_dob", S},
    {1080, "&Place of birth", "buyer_pob", S},
    {1078, "Place of &living", "buyer_pol", M},
    {1072, "Height", "buyer_height", S},
    {1159, "Weight", "buyer_weight", S},
    {1076, "Body distinctions (bold, fat etc)", "buyer_spd", M},
};

constexpr DossierField kBusbio[] = {
    {1122, "Previous companies (positions, functions etc)", "busbio_prevcompany", M},
    {1123, "Previous position in this company (time spent)", "busbio_prevposition", M},
    {1124, "Status simbols at work", "busbio_statusjob", S},
    {1125, "Member of proffesional organization (functions, priviledges etc.)", "busbio_member", M},
    {1126, "Has protectors", "busbio_protectors", M},
    {1127, "His/Her relationship with other employees", "busbio_relation", M},
    {1128, "Our employees that know him/her well", "busbio_knowstoo", M},
    {1129, "His/Her attitude toward company?", "busbio_attitude", S},
    {1130, "His/Her short and long term goals", "busbio_goals", S},
    {1094, "Currently cares more about himself/herself or company?", "busbio_caresofhimfirm", S},
    {1095, "Thinks about present, future, what, why?", "busbio_thinktodaytomorrow", M},
};

constexpr DossierField kLifestyle[] = {
    {1131, "Current health status", "lifestyle_health", M},
    {1132, "Does he/she drink, is he/she bothered by those that do?", "lifestyle_drink", S},
    {1133, "Does he/she smoke? Is he/she bothered by those who do?", "lifestyle_smoke", S},
    {1134, "Favorite restaurants, meals", "lifestyle_restaurants", M},
    {1135, "Likes to pay meal?", "lifestyle_botheredpaymeal", S},
    {1136, "Hobbies, activities?", "lifestyle_hobbies", S},
    {1137, "Likes to read...", "lifestyle_read", M},
    {1138, "Idea of vacation...", "lifestyle_vacation", S},
    {1139, "Sports...", "lifestyle_sports", S},
    {1140, "Car...", "lifestyle_vehicle", S},
    {1092, "Most proud of...", "lifestyle_mostproudof", S},
    {1089, "Likes to impress ...", "lifestyle_likestoimpress", S},
    {1090, "Likes to be seen as...", "lifestyle_seenas", S},
    {1088, "Likes to talk about...", "lifestyle_talkabout", M},
    {1091, "How would you describe him?", "lifestyle_describehim", M},
    {1093, "Life goal...", "lifestyle_longtermgoal", M},
};

constexpr DossierField kEducation[] = {
    {1055, "High school, graduation year", "education_highschool", S},
    {1060, "Coledge", "education_coledge", S},
    {1063, "Graduation date", "education_dod", S},
    {1066, "Diplomas", "education_diplomas", S},
    {1068, "University titles", "education_unititles", S},
    {1070, "Postgraduate titles", "education_higherunititles", S},
    {1154, "University groups", "education_groups", S},
    {1155, "Sport", "education_sport", S},
    {1156, "Out of school activites", "education_outofschoolact", S},
    {1157, "Hasn't attended coledge, is sensitive about it?", "education_nocoledge", S},
    {1158, "Instead of coledge, did...", "education_insteadofcoledge", S},
    {1082, "Military service", "education_military", S},
    {1084, "Rank in military", "education_militaryrank", S},
    {1086, "Oppinion about military...", "education_militaryopinion", S},
};

constexpr DossierField kFamily[] = {
    {1146, "Married (spouse's name)", "family_married", S},
    {1147, "Education of spouse", "family_spouseedu", S},
    {1151, "Spouse's date of birth", "family_spousedob", S},
    {1149, "Anniversary", "family_aniversary", S},
    {1148, "Spouse's interests, hobbies", "family_interestsofspouse", M},
    {1150, "Kids, names, age", "family_kids", M},
    {1152, "Kid's education", "family_kidsedu", M},
    {1153, "Kid's hobbies, problems etc", "family_kidsinterests", M},
};

constexpr DossierField kRoots[] = {
    {1054, "Mother's birthdate", "family_mama_borndate", S},
    {1055, "Mother's occupation", "family_mama_occupation", M},
    {1056, "More mother's data", "family_mama_comment", M},
    {1057, "More data on childhood", "family_childhood", M},
    {1058, "Father's birthdate", "family_papa_borndate", S},
    {1059, "Fathers's occupation", "family_papa_occupation", M},
    {1060, "More father's data", "family_papa_comment", M},
    {1061, "Family background", "family_background", M},
};

constexpr DossierField kSpecInt[] = {
    {1141, "Clubs or organizations", "spinter_clubs", M},
    {1142, "Politicaly active? What party, is it of big importance to him/her?", "spinter_politics",
     M},
    {1143, "Community activities (how, when)?", "spinter_comunity", M},
    {1144, "Do not talk about...", "spinter_donttalk", M},
    {1145, "Feels strong about...", "spinter_feelsstrong", M},
    {1074, "Religion (active)?", "spinter_religion", M},
};

constexpr DossierField kSensitive[] = {
    {1054, "Reliability (%)", "sensitive_reliability", M},
    {1055, "Problems with law", "sensitive_lawproblems", M},
    {1056, "Family problems", "sensitive_familyproblems", M},
    {1057, "Secret organizations", "sensitive_secretorganizations", M},
    {1058, "Prone to violence?", "sensitive_pronetoviolence", M},
    {1059, "Kinky side", "sensitive_kinkyside", M},
    {1060, "Can be bribed?", "sensitive_bribe", M},
    {1061, "Dark side...", "sensitive_darkside", M},
};

constexpr DossierField kBasic[] = {
    {1054, "Number of employees", "basic_number of workers", S},
    {1055, "Specialized in", "basic_specialization", S},
    {1056, "Additional expertise", "basic_also experts in", S},
    {1057, "Speed of reaction", "basic_speed of reaction", S},
    {1058, "Yearly turnover", "basic_yearly turnover", S},
    {1059, "Profit", "basic_profit", S},
    {1060, "Mission statement", "basic_mission statement", M},
    {1061, "Date of establish", "basic_dob", S},
    {1062, "Important dates", "basic_important dates", S},
    {1063, "Covered countries && markets", "basic_countries", M},
};

constexpr DossierField kEmployees[] = {
    {1164, "Comments on salaries", "employees_comments on salaries", M},
    {1165, "Comments on interpersonal relations", "employees_comments on interpersonal relations",
     M},
    {1166, "Misc comments of employees", "employees_comments of employees", M},
    {1168, "Why are they dissatisfied", "employees_why are they dissatisfied", M},
    {1167, "Why are they satisfied", "employees_why are they satisfied", M},
};

constexpr DossierField kMarket[] = {
    {1054, "Successful product", "market_succesfull product", M},
    {1055, "Company strenghts", "market_strongs", M},
    {1056, "Company weakness", "market_weakness", M},
    {1057, "Current place on market", "market_currentplace", M},
    {1058, "Plans and ambitions", "market_plans and ambitions", M},
    {1059, "Market image", "market_image", M},
    {1060, "Market access", "market_access", M},
    {1061, "Commercials", "market_commercials", M},
    {1062, "Cooperating with", "market_cooperating with", M},
    {1063, "Buying from", "market_buying from", M},
    {1064, "Developing with", "market_developing with", M},
    {1065, "Selling by", "market_selling by", M},
    {1066, "Selling directly", "market_selling directly", M},
    {1067, "Political activity", "market_political activity", M},
};

constexpr DossierField kOutofbus[] = {
    {1054, "Sport sponsorship", "outofbussines_sport sponsorships", M},
    {1055, "Sponsoship successes", "outofbussines_their sponsors sucesses", M},
    {1056, "Humanitarian activities", "outofbussines_humanitarian actvities", M},
    {1057, "Sponsorship of culture", "outofbussines_sponsorship of culture", M},
};

constexpr DossierField kUsandthem[] = {
    {1054, "Current status", "usandthem_current status", M},
    {1055, "Planned status", "usandthem_planned status", M},
    {1056, "Ways of payment", "usandthem_ways of payment", M},
    {1057, "Ways of communication", "usandthem_ways of communication", M},
};

constexpr std::array<DossierPageDef, 8> kPersonPages{{
    {"CBuyerPage", 107, "Contact person", kBuyer},
    {"CBusbioPage", 136, "Business", kBusbio},
    {"CLifestylePage", 140, "Life style", kLifestyle},
    {"CEducationPage", 132, "Education", kEducation, true},
    {"CFamilyPage", 134, "Family", kFamily},
    {"CRootsPage", 188, "Roots", kRoots},
    {"CSpecIntPage", 138, "Special interests", kSpecInt},
    {"CSensitivePage", 143, "Sensitive", kSensitive},
}};

constexpr std::array<DossierPageDef, 5> kFirmPages{{
    {"CBasicPage", 106, "Basic", kBasic},
    {"CEmployeesPage", 183, "Employees", kEmployees},
    {"CMarketPage", 187, "Market", kMarket},
    {"COutofbusPage", 185, "Non business activities", kOutofbus},
    {"CUsandthemPage", 184, "Us and them", kUsandthem},
}};

}  // namespace

std::span<const DossierPageDef> personDossierPages() {
    return kPersonPages;
}

std::span<const DossierPageDef> firmDossierPages() {
    return kFirmPages;
}
