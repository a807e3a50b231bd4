#include "lookup/statement_templates.h"

#include <utility>
#include <vector>

namespace lookup {

namespace {

// The joins of the templates, named by their alias.
const std::string kJoinAA =
    "LEFT OUTER JOIN [OWNER].CO_FOLDERS AA ON AA.SYSTEM_ID = [OWNER].CO_MATTERS.CO_FOLDER_SID ";
const std::string kJoinAI = "LEFT OUTER JOIN [OWNER].AREAOFLAW AI ON AI.SYSTEM_ID = AA.AREAOFLAW_SID ";
const std::string kJoinAK = "LEFT OUTER JOIN [OWNER].LOCATION AK ON AK.SYSTEM_ID = AI.LOCATION_SID ";
const std::string kJoinAL = "LEFT OUTER JOIN [OWNER].CLUSTER AL ON AL.SYSTEM_ID = AK.CLUSTER_SID ";
const std::string kJoinAB = "LEFT OUTER JOIN [OWNER].DOCSERVERS AB ON AB.SYSTEM_ID = [OWNER].CO_MATTERS.TARGET_DOCSRVR ";
const std::string kJoinAC =
    "LEFT OUTER JOIN [OWNER].MM_BUSINESS_LINE AC ON AC.SYSTEM_ID = [OWNER].CO_MATTERS.MM_BUSINESS_LINE ";
const std::string kJoinAD = "LEFT OUTER JOIN [OWNER].MM_CHANNEL AD ON AD.SYSTEM_ID = [OWNER].CO_MATTERS.MM_CHANNEL ";
const std::string kJoinAE = "LEFT OUTER JOIN [OWNER].MM_DIVISION AE ON AE.SYSTEM_ID = [OWNER].CO_MATTERS.MM_DIVISION ";
const std::string kJoinAF =
    "LEFT OUTER JOIN [OWNER].MM_MATTER_TYPE AF ON AF.SYSTEM_ID = [OWNER].CO_MATTERS.MM_MATTER_TYPE ";
const std::string kJoinAJ = "LEFT OUTER JOIN [OWNER].MM_PRACTICE_AREA AJ ON AJ.SYSTEM_ID = AF.MM_PRACTICE_AREA ";
const std::string kJoinAG = "LEFT OUTER JOIN [OWNER].PEOPLE AG ON AG.SYSTEM_ID = [OWNER].CO_MATTERS.MM_PIC ";
const std::string kJoinAH = "LEFT OUTER JOIN [OWNER].MM_STATUS AH ON AH.SYSTEM_ID = [OWNER].CO_MATTERS.MM_STATUS ";
const std::string kFolderJoinAI =
    "LEFT OUTER JOIN [OWNER].AREAOFLAW AI ON AI.SYSTEM_ID = [OWNER].CO_FOLDERS.AREAOFLAW_SID ";
const std::string kFolderJoinAB =
    "LEFT OUTER JOIN [OWNER].DOCSERVERS AB ON AB.SYSTEM_ID = [OWNER].CO_FOLDERS.TARGET_DOCSRVR ";

const std::string kMatterChain = kJoinAA + kJoinAI + kJoinAK + kJoinAL + kJoinAB + kJoinAC + kJoinAD + kJoinAE +
                                 kJoinAF + kJoinAJ + kJoinAG + kJoinAH;

// Expression and label of a labelled column.
using Labelled = std::vector<std::pair<const char*, const char*>>;

std::string LabelledColumns(const Labelled& columns) {
    std::string out;
    for (const auto& [expression, label] : columns) {
        if (!out.empty()) out += ", ";
        out += std::string(expression) + "\"" + label + "\"";
    }
    return out;
}

const std::string kFolderRef = "#REF:SELECT AA.SYSTEM_ID FROM [OWNER].CO_FOLDERS AA " + kJoinAI + kJoinAK + kJoinAL +
                               "WHERE AA.CO_FOLDER_ID = '#CO_FOLDER_SID#' AND "
                               "AI.PA_ID = '#AREAOFLAW_SID#' AND "
                               "AK.LOCATION_ID = '#LOCATION_SID#' AND "
                               "AL.CLUSTER_ID = '#CLUSTER_SID#'#";
const std::string kMatterTypeRef = "#REF:SELECT AF.SYSTEM_ID FROM [OWNER].MM_MATTER_TYPE AF " + kJoinAJ +
                                   "WHERE AF.MT_ST_NAME = '#MM_MATTER_TYPE#' AND "
                                   "AJ.PRACTICE_NAME = '#MM_PRACTICE_AREA#'#";
const std::string kDocServerRef = "#REF:SELECT SYSTEM_ID FROM [OWNER].DOCSERVERS WHERE LOCATION = '#TARGET_DOCSRVR#'#";
const std::string kPicRef = "#REF:SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '#MM_PIC#'#";
const std::string kBusinessRef =
    "#REF:SELECT SYSTEM_ID FROM [OWNER].MM_BUSINESS_LINE WHERE BUSINESS_NAME = '#MM_BUSINESS_LINE#'#";
const std::string kChannelRef = "#REF:SELECT SYSTEM_ID FROM [OWNER].MM_CHANNEL WHERE CHANNEL_NAME = '#MM_CHANNEL#'#";
const std::string kDivisionRef =
    "#REF:SELECT SYSTEM_ID FROM [OWNER].MM_DIVISION WHERE DIVISION_NAME = '#MM_DIVISION#'#";
const std::string kStatusRef = "#REF:SELECT SYSTEM_ID FROM [OWNER].MM_STATUS WHERE STATUS_NAME = '#MM_STATUS#'#";

const std::string kAreaWhere =
    "WHERE AI.PA_ID = '#AREAOFLAW_SID#' AND "
    "AK.LOCATION_ID = '#LOCATION_SID#' AND "
    "AL.CLUSTER_ID = '#CLUSTER_SID#'#";

}  // namespace

std::string FolderStatement() {
    return "SELECT F.SYSTEM_ID, F.DOCNUMBER, F.PATH, P.DOCNAME, T.USER_ID FROM "
           "[OWNER].FOLDER F, [OWNER].PROFILE P, [OWNER].PEOPLE T "
           "WHERE P.DOCNUMBER = F.DOCNUMBER AND T.SYSTEM_ID = P.TYPIST";
}

std::string CoMattersTemplate(const std::string& kind) {
    if (kind == "SELECT") {
        return "SELECT [OWNER].CO_MATTERS.CO_MATTER_ID, [OWNER].CO_MATTERS.CO_MATTER_NAME, " +
               LabelledColumns({{"AA.CO_FOLDER_ID ", "CO_FOLDER_SID"},
                                {"AI.PA_ID ", "AREAOFLAW_SID"},
                                {"AK.LOCATION_ID ", "LOCATION_SID"},
                                {"AL.CLUSTER_ID ", "CLUSTER_SID"},
                                {"AB.LOCATION ", "TARGET_DOCSRVR"},
                                {"AC.BUSINESS_NAME ", "MM_BUSINESS_LINE"},
                                {"AD.CHANNEL_NAME ", "MM_CHANNEL"},
                                {"AE.DIVISION_NAME ", "MM_DIVISION"},
                                {"AF.MT_ST_NAME ", "MM_MATTER_TYPE"},
                                {"AJ.PRACTICE_NAME ", "MM_PRACTICE_AREA"},
                                {"AG.USER_ID ", "MM_PIC"},
                                {"AH.STATUS_NAME ", "MM_STATUS"}}) +
               "," +
               "[OWNER].CO_MATTERS.SYSTEM_ID, [OWNER].CO_MATTERS.DISABLED, [OWNER].CO_MATTERS.CLOSE_DATE, "
               "[OWNER].CO_MATTERS.OPEN_DATE " +
               "FROM [OWNER].CO_MATTERS " + kMatterChain;
    }
    if (kind == "SELSIDFROMKEY") {
        return "SELECT [OWNER].CO_MATTERS.SYSTEM_ID FROM [OWNER].CO_MATTERS " + kMatterChain +
               "WHERE CO_MATTERS.CO_MATTER_ID = '#CO_MATTER_ID#' AND "
               "AA.CO_FOLDER_ID = '#CO_FOLDER_SID#' AND "
               "AI.PA_ID = '#AREAOFLAW_SID#' AND "
               "AK.LOCATION_ID = '#LOCATION_SID#' AND "
               "AL.CLUSTER_ID = '#CLUSTER_SID#' AND "
               "AC.BUSINESS_NAME = '#MM_BUSINESS_LINE#' AND "
               "AD.CHANNEL_NAME = '#MM_CHANNEL#' AND "
               "AE.DIVISION_NAME = '#MM_DIVISION#' AND "
               "AF.MT_ST_NAME = '#MM_MATTER_TYPE#' AND "
               "AJ.PRACTICE_NAME = '#MM_PRACTICE_AREA#' AND "
               "AH.STATUS_NAME = '#MM_STATUS#'";
    }
    if (kind == "INSERT") {
        return "INSERT INTO [OWNER].CO_MATTERS (CO_MATTER_ID, CO_MATTER_NAME, SYSTEM_ID, DISABLED, CLOSE_DATE, "
               "OPEN_DATE, TARGET_DOCSRVR, MM_PIC, "
               "CO_FOLDER_SID, MM_BUSINESS_LINE, MM_CHANNEL, MM_DIVISION, MM_MATTER_TYPE, MM_STATUS) "
               "VALUES('#CO_MATTER_ID#', '#CO_MATTER_NAME#', "
               "#SYSTEM_ID#, '#DISABLED#', '#CLOSE_DATE#', '#OPEN_DATE#', " +
               kDocServerRef + ", " + kPicRef + ", " + kFolderRef + ", " + kBusinessRef + ", " + kChannelRef + ", " +
               kDivisionRef + ", " + kMatterTypeRef + ", " + kStatusRef + ")";
    }
    if (kind == "UPDATE") {
        return "UPDATE [OWNER].CO_MATTERS SET CO_MATTER_ID = '#CO_MATTER_ID#', CO_MATTER_NAME = '#CO_MATTER_NAME#', "
               "DISABLED = '#DISABLED#', CLOSE_DATE = '#CLOSE_DATE#', OPEN_DATE = '#OPEN_DATE#', "
               "TARGET_DOCSRVR = " +
               kDocServerRef + ", MM_PIC = " + kPicRef + ", CO_FOLDER_SID = " + kFolderRef +
               ", MM_BUSINESS_LINE = " + kBusinessRef + ", MM_CHANNEL = " + kChannelRef +
               ", MM_DIVISION = " + kDivisionRef + ", MM_MATTER_TYPE = " + kMatterTypeRef +
               ", MM_STATUS = " + kStatusRef;
    }
    return "";
}

std::string CoFoldersTemplate(const std::string& kind) {
    if (kind == "SELECT") {
        return "SELECT [OWNER].CO_FOLDERS.CO_FOLDER_ID, [OWNER].CO_FOLDERS.CO_FOLDER_NAME, "
               "[OWNER].CO_FOLDERS.DISABLED, " +
               LabelledColumns({{"AI.PA_ID ", "AREAOFLAW_SID"},
                                {"AK.LOCATION_ID ", "LOCATION_SID"},
                                {"AL.CLUSTER_ID ", "CLUSTER_SID"},
                                {"AB.LOCATION ", "TARGET_DOCSRVR"}}) +
               " FROM [OWNER].CO_FOLDERS " + kFolderJoinAI + kJoinAK + kJoinAL + kFolderJoinAB;
    }
    if (kind == "SELSIDFROMKEY") {
        return "SELECT [OWNER].CO_FOLDERS.SYSTEM_ID FROM [OWNER].CO_FOLDERS " + kFolderJoinAI + kJoinAK + kJoinAL +
               "WHERE [OWNER].CO_FOLDERS.CO_FOLDER_ID = '#CO_FOLDER_ID#' AND "
               "AI.PA_ID = '#AREAOFLAW_SID#' AND "
               "AK.LOCATION_ID = '#LOCATION_SID#' AND "
               "AL.CLUSTER_ID = '#CLUSTER_SID#' ";
    }
    // The area of law is written to AREAOFLAW_SID, the column the select and
    // update name and the table has.
    if (kind == "INSERT") {
        return "INSERT INTO [OWNER].CO_FOLDERS (CO_FOLDER_ID, CO_FOLDER_NAME, SYSTEM_ID, DISABLED, TARGET_DOCSRVR, "
               "AREAOFLAW_SID) "
               "VALUES('#CO_FOLDER_ID#', '#CO_FOLDER_NAME#', "
               "#SYSTEM_ID#, '#DISABLED#', " +
               kDocServerRef + ", " + "#REF:SELECT AI.SYSTEM_ID FROM [OWNER].AREAOFLAW AI " + kJoinAK + kJoinAL +
               kAreaWhere + ")";
    }
    if (kind == "UPDATE") {
        return "UPDATE [OWNER].CO_FOLDERS SET CO_FOLDER_ID = '#CO_FOLDER_ID#', CO_FOLDER_NAME = '#CO_FOLDER_NAME#', "
               "DISABLED = '#DISABLED#', "
               "TARGET_DOCSRVR = " +
               kDocServerRef + ", " + "AREAOFLAW_SID = #REF:SELECT SYSTEM_ID FROM [OWNER].AREAOFLAW AI " + kJoinAK +
               kJoinAL + kAreaWhere + " ";
    }
    return "";
}

}  // namespace lookup
