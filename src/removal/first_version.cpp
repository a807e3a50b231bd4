#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/file_paths.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "forms/main_window.h"
#include "removal/component_files.h"
#include "removal/first_version_name.h"
#include "removal/removal.h"
#include "removal/sql_reads.h"

namespace removal {

namespace {

// The one statement that points a document's component rows at a new file
// name, whatever their version.
void RenameComponentRows(core::Program& p, const std::string& number, const std::string& oldName,
                         const std::string& newName) {
    p.RunSQL("UPDATE [OWNER].COMPONENTS SET PATH = '" + core::DoubleApostrophes(newName) + "' WHERE DOCNUMBER = " +
             number + " AND UPPER(PATH) = '" + core::DoubleApostrophes(core::Upper(oldName)) + "'");
    Release(p);
}

}  // namespace

bool Removal::ChangeFirstVersion(int32_t docNumber, const std::string& versionLabel) {
    if (docNumber == 0) return false;
    core::Program& p = p_;
    const std::string n = std::to_string(docNumber);
    auto fail = [&](int32_t number, const std::string& source, const std::string& description) {
        p.Separator();
        p.WriteLog("ChangeFirstVersion:");
        p.ReportError(number, source, description);
        p.Separator();
        return false;
    };

    try {
        p.WriteLog("Special processing for first item of document #" + n);
        p.Separator();

        p.RunSQL("SELECT COUNT(*) FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n);
        const double versions = ColumnNumber(p, 1);
        Release(p);
        if (versions == 0) {
            p.WriteLog("No versions found for document #" + n);
            p.Separator();
            return true;
        }

        p.RunSQL("SELECT VERSION_ID FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '1'");
        const std::string placeholderId = ColumnWhole(p, 1);
        Release(p);

        // The version that replaces the placeholder is found while the
        // placeholder still stands: without one, the document keeps it.
        std::string label = versionLabel;
        const bool isVersion = label.empty() || dm::LeadingNumber(label) != 0;
        if (label.empty()) {
            // The lowest version by number: by label text '10' would come before '2'.
            p.RunSQL("SELECT VERSION_LABEL FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_ID <> " +
                     placeholderId + " ORDER BY VERSION, VERSION_LABEL");
            label = ColumnText(p, 1);
            Release(p);
        }
        if (isVersion) {
            p.WriteLog("Special Processing for first version with label '" + label + "'");
        } else {
            p.WriteLog("Special Processing for an attachment with version label '" + label + "'");
        }
        p.Separator();

        const std::string quotedLabel = core::DoubleApostrophes(label);
        p.RunSQL("SELECT VERSION_ID FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '" +
                 quotedLabel + "' AND VERSION_ID <> " + placeholderId);
        const std::string itemId = ColumnWhole(p, 1);
        Release(p);
        if (itemId == "0") {
            p.WriteLog("No version labelled '" + label + "' found for document #" + n + " - first version kept");
            p.Separator();
            return true;
        }

        p.WriteLog("Removing any empty component files found for Document #" + n);
        p.Separator();
        if (placeholderId != "0") {
            p.RunSQL("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM [OWNER].COMPONENTS C, [OWNER].PROFILE P "
                     "WHERE P.DOCNUMBER = C.DOCNUMBER AND C.DOCNUMBER = " +
                     n + " AND C.VERSION_ID = " + placeholderId);
            const auto files = ReadComponentFiles(p);
            ComponentFileGuard guard(p, docNumber);
            for (const auto& [path, name] : files) {
                if (name.empty() || !core::IsNormalFile(path)) continue;
                if (guard.MayRemove(path, name)) p.RemoveFile(path, false);
            }
        }
        p.Separator();

        p.WriteLog("Removing empty version from VERSIONS and COMPONENTS tables");
        p.Separator();
        p.RunSQL("DELETE FROM [OWNER].COMPONENTS WHERE DOCNUMBER = " + n + " AND VERSION_ID = " + placeholderId);
        Release(p);
        p.RunSQL("DELETE FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_ID = " + placeholderId);
        Release(p);
        p.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '1'");
        Release(p);

        p.RunSQL("UPDATE [OWNER].VERSIONS SET VERSION_LABEL = '1' WHERE DOCNUMBER = " + n + " AND VERSION_ID = " +
                 itemId);
        Release(p);
        // The promoted version's own activity rows follow it.
        p.RunSQL("UPDATE [OWNER].ACTIVITYLOG SET VERSION_LABEL = '1' WHERE DOCNUMBER = " + n +
                 " AND VERSION_LABEL = '" + quotedLabel + "'");
        Release(p);

        p.RunSQL("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM [OWNER].COMPONENTS C, [OWNER].PROFILE P "
                 "WHERE P.DOCNUMBER = C.DOCNUMBER AND C.DOCNUMBER = " +
                 n + " AND C.VERSION_ID = " + itemId);
        if (RowCount(p) == 0) {
            Release(p);
            p.WriteLog("Warning: No components found for document #" + n + " in library " + p.ConnectedLibraryName());
            p.Separator();
            return true;
        }
        const std::string directory = core::Trim(ColumnText(p, 1)) + core::Trim(ColumnText(p, 2));
        const std::string fileName = core::Trim(ColumnText(p, 3));
        Release(p);
        const std::string oldPath = directory + fileName;

        if (!p.Options().MetadataOnly() && p.GetFileFN(oldPath, 0) != 1) {
            p.WriteLog("Error: Unable to locate the version file " + oldPath + " - cannot continue special processing");
            return false;
        }

        p.ShowStatus("Processing component " + fileName + " in directory " + directory);
        p.Separator();

        const auto newName = FirstVersionFileName(fileName);
        if (!newName) return fail(5, "Dorvane", "Invalid procedure call or argument");
        if (core::Upper(*newName) == core::Upper(fileName)) {
            p.WriteLog("NOT necessary to rename this component");
            p.Separator();
            return true;
        }
        p.WriteLog("New file name will be \"" + *newName + "\"");
        p.Separator();

        const std::string newPath = directory + *newName;
        if (core::IsNormalFile(newPath)) {
            ComponentFileGuard guard(p, docNumber);
            if (guard.MayRemove(newPath, *newName)) p.RemoveFile(newPath, false);
            if (core::EntryExists(newPath)) {
                p.WriteLog("Error: Unable to remove " + newPath);
                p.Separator();
                return true;
            }
        }

        p.WriteLog("Renaming file for document #" + n + " version/subversion '" + label + "' component \"" + oldPath +
                   "\" to \"" + newPath + "\"");
        p.Separator();
        std::error_code ec;
        std::filesystem::rename(core::NativePath(oldPath), core::NativePath(newPath), ec);
        if (ec) {
            return ec == std::errc::no_such_file_or_directory ? fail(53, "Dorvane", "File not found")
                                                              : fail(75, "Dorvane", "Path/File access error");
        }

        if (core::IsNormalFile(newPath)) {
            p.WriteLog("Processing Component Path change for document #" + n + " version/subversion '" + label +
                       "' component row");
            p.Separator();
            RenameComponentRows(p, n, fileName, *newName);
            return true;
        }
        p.WriteLog("Error: Unable to process Component Path Change");
        p.Separator();
        // Whatever now stands under the new name is the component: the row
        // must not keep naming a file that is gone.
        if (!core::EntryExists(oldPath) && core::EntryExists(newPath)) RenameComponentRows(p, n, fileName, *newName);
        return true;
    } catch (const dm::DmError& e) {
        return fail(e.Number(), e.Source(), e.Description());
    }
}

}  // namespace removal
