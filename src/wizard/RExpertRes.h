// Every text the wizard plugin shows or stores: dialog captions, messages,
// summary pieces, settings names. Kept in one table so that wording is
// changed (or translated) in one place; texts are used exactly as they stand
// here, odd spellings included, because users and their scripts have seen
// them. Placeholders are Qt's %1, %2, ... filled with QStringView::arg.
#pragma once

#include <QStringView>

namespace mirel::res {

// --- The wizard dialog ------------------------------------------------------------

inline constexpr QStringView sWizardCaption = u"%1 Migration Wizard - Step %2 of %3";
inline constexpr QStringView sWelcomeTitle = u"Welcome to Migration Wizard";
inline constexpr QStringView sWelcomeText =
    u"Wizard facilitates converting your application to %1. It replaces all standard %2 "
    u"components to corresponding %3 components. You may need to make some changes manually to "
    u"compile your application successfully.";
inline constexpr QStringView sBackupAdvice =
    u"If any problem occurs during the migration process, you can restore your project from "
    u"backup files. However, it is highly recommended to make a reserved copy of your project "
    u"before running the migration process.";
inline constexpr QStringView sStep1 = u"Step 1 - Select mode";
inline constexpr QStringView sModeReplaceBde = u"&Replace BDE components";
inline constexpr QStringView sModeReplaceFmt = u"&Replace %1 components";
inline constexpr QStringView sModeReplaceAdo = u"Replace &ADO components";
inline constexpr QStringView sModeRestore = u"R&estore original files from backup";
inline constexpr QStringView sMailLink = u"Migrate from another components";

inline constexpr QStringView sStep2Restore = u"Step 2 - Select backup file";
inline constexpr QStringView sUndoLabel = u"&Backup file:";
inline constexpr QStringView sRestoreBrowse = u"Bro&wse...";
inline constexpr QStringView sUndoNote =
    u"Note: Backup file is created while replacing if 'Make backup' option is selected.";

inline constexpr QStringView sStep2Replace = u"Step 2 - Select location of files to search";
inline constexpr QStringView sDestProject = u"&Current open project";
inline constexpr QStringView sDestFolder = u"&Disk folder";
inline constexpr QStringView sDestNote =
    u"Note: Using 'Current open project' option gives more information about files.";

inline constexpr QStringView sStep3Proj = u"Step 3 - Select units to replace components";
inline constexpr QStringView sSelectAll = u"Select All";
inline constexpr QStringView sDeselectAll = u"Deselect All";

inline constexpr QStringView sStep3Dir = u"Step 3 - Select folder to search units";
inline constexpr QStringView sTargetFolder = u"Target &folder:";
inline constexpr QStringView sBrowse = u"&Browse...";
inline constexpr QStringView sSubDirs = u"Include &subfolders";

inline constexpr QStringView sStep4 = u"Step 4 - Set advanced options";
inline constexpr QStringView sMakeBackup = u"&Make backup";
inline constexpr QStringView sBackupFolder = u"Backup &folder:";
inline constexpr QStringView sWriteLog = u"&Write log";
inline constexpr QStringView sLogNote =
    u"Note: Log file will be placed in project folder or target folder you selected.";
inline constexpr QStringView sViewLog = u"View log after replace";

inline constexpr QStringView sStep5 = u"Step 5 - Start units converting";
inline constexpr QStringView sFinalAdvice =
    u"If you want to review or change any settings, click Back. Otherwise click Finish to start "
    u"replacing.";
inline constexpr QStringView sSummaryLabel = u"Summary:";

inline constexpr QStringView sBack = u"< Back";
inline constexpr QStringView sNext = u"Next >";
inline constexpr QStringView sFinish = u"Finish";
inline constexpr QStringView sCancel = u"Cancel";

inline constexpr QStringView sUndoFilter = u"Undo files (*.reu);;All files (*)";
inline constexpr QStringView sSelectDirectory = u"Select directory";

inline constexpr QStringView sUndoMissing = u"Undo file \"%1\" does not exist.";
inline constexpr QStringView sTargetMissing = u"Target directory \"%1\" does not exist.";
inline constexpr QStringView sNoUnitSelected = u"At least one unit should be selected.";
inline constexpr QStringView sInformation = u"Information";

// --- The summary ---------------------------------------------------------------

inline constexpr QStringView sSumMode = u"Mode: ";
inline constexpr QStringView sSumRestore = u"Restore original files from backup\n\n";
inline constexpr QStringView sSumUndoFile = u"Undo file: \"%1\"\n\n";
inline constexpr QStringView sSumReplace = u"Replace %1 components\n\n";
inline constexpr QStringView sSumDest = u"Scan destination: ";
inline constexpr QStringView sSumProject = u"Current open project\n\n";
inline constexpr QStringView sSumFolder = u"Folder \"%1\"\n\n";
inline constexpr QStringView sSumBackupDir = u"Backup dir: \"%1\"\n\n";
inline constexpr QStringView sSumWriteLog = u"Write log file\n\n";
inline constexpr QStringView sSumViewLog = u"View log afer replace\n\n";
inline constexpr QStringView sSumUnits = u"Units list:\n";

// --- The confirmation dialog ---------------------------------------------------------

inline constexpr QStringView sWarnSave = u"Current project will be saved. Continue?";
inline constexpr QStringView sWarnRestore = u"Old files will be restored from backup. Continue?";
inline constexpr QStringView sNoteFormsHidden = u"Project forms will be hidden.";
inline constexpr QStringView sNoteProjectClosed = u"Current project will be closed.";
inline constexpr QStringView sNote = u"Note:";
inline constexpr QStringView sDontAsk = u"&Don't ask me this again";
inline constexpr QStringView sYes = u"&Yes";
inline constexpr QStringView sNo = u"&No";

// --- The expert ---------------------------------------------------------------------

inline constexpr QStringView sMenuCaption = u"&Migration Wizard";
inline constexpr QStringView sNotSaved = u"Cannot start replace process.\nProject was not saved.";
inline constexpr QStringView sReplaceFailed = u"Replace failed.";
inline constexpr QStringView sReplaceDone = u"Replace procedure was performed sucessfully.";
inline constexpr QStringView sRestoreDone = u"Files were succefully restored.";
inline constexpr QStringView sRestoreFailed = u"Failed to restore files.";
inline constexpr QStringView sNothingToRestore = u"Nothing to restore.";

// --- The mail link --------------------------------------------------------------------

/// Where questions about migrating from other component families go.
inline constexpr QStringView sSupportAddress = u"migration@mirel.example";
inline constexpr QStringView sMailSubject = u"Migrate from another components";

// --- Settings: organisation, and value names inside the wizard's section ---------------

inline constexpr QStringView sSettingsOrganization = u"Orvane";
inline constexpr QStringView sValLeft = u"Left";
inline constexpr QStringView sValTop = u"Top";
inline constexpr QStringView sValDirHistory = u"DirHistory";
inline constexpr QStringView sValBackDirHistory = u"BackDirHistory";
inline constexpr QStringView sValReplaceMode = u"ReplaceMode";
/// Our own addition: whether the ADO mode was the one last used.
inline constexpr QStringView sValReplaceAdo = u"ReplaceADO";
inline constexpr QStringView sValLastUndo = u"LastUndo";
inline constexpr QStringView sValReplaceProjWarn = u"ReplaceProjWarn";
inline constexpr QStringView sValRestoreProjWarn = u"RestoreProjWarn";
inline constexpr QStringView sValReplaceDirWarn = u"ReplaceDirWarn";
inline constexpr QStringView sValRestoreDirWarn = u"RestoreDirWarn";

}  // namespace mirel::res
