; The per-user installer of Nelvora and Reminder for 64-bit Windows. build-installer.sh
; beside this file builds it (scripts/windows.sh runs that after the deploy step):
;   makensis -DSTAGE=<folder> -DFILES=<list.nsh> -DOUTDIR=<folder> nelvora.nsi
; STAGE holds the two programs and exactly what they need (never the test programs);
; FILES lists those files as the macros NelvoraFiles and NelvoraFolders.
;
; It installs into %LOCALAPPDATA%\Programs\Nelvora without administrator rights, adds the
; Start menu entry "Nelvora" and the uninstall entry of the current user. The uninstaller
; removes what the installer put there and the start-up value the editor writes, never the
; reminders (%APPDATA%\Velmaro) nor the window sizes (%LOCALAPPDATA%\Velmaro). Both take /S;
; the uninstaller returns at once and works on from a copy of itself in %TEMP%.
; Before either changes a file, a running scheduler is told to end (WM_CLOSE to its window
; of class TForm1 titled "Nelvora"); an upgrade starts it again afterwards. Exit codes:
; 0 done, 1 cancelled by the user, 2 aborted, 3 nothing changed because files of the
; install are in use (the editor runs), 4 uninstall left files behind and stays listed.

Unicode true
; Only 64-bit Wine is installed where it is tested, and the 32-bit stub does not start there.
Target amd64-unicode
RequestExecutionLevel user
; Solid LZMA with its default 8 MB dictionary: 7.95 MB from 24 MB of stand-in programs in
; 18 s; a 32 MB dictionary saved 84 KB for 7 s more.
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef STAGE | FILES | OUTDIR
  !error "define STAGE, FILES and OUTDIR (build-installer.sh does)"
!endif

; One source for the version: the header the programs' resource scripts include.
!searchparse /file "${__FILEDIR__}/version.h" '#define NELVORA_RC_VERSION_TEXT "' VERSION '"'
!searchparse /file "${__FILEDIR__}/version.h" '#define NELVORA_RC_VERSION_NUMBERS ' V1 ',' V2 ',' V3 ',' V4

!define PRODUCT "Nelvora and Reminder"
!define PUBLISHER "Nelvora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nelvora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SCHEDULER_CLASS "TForm1"
!define SCHEDULER_TITLE "Nelvora"
; Exit codes beside NSIS's own (see the top).
!define EXIT_IN_USE 3
!define EXIT_LEFT_OVER 4

!include "${FILES}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

Name "${PRODUCT}"
OutFile "${OUTDIR}/nelvora-${VERSION}-setup.exe"
InstallDir "$LOCALAPPDATA\Programs\Nelvora"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIFileVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}. License: GPL-3.0-or-later."

!define MUI_ICON "${__FILEDIR__}/nelvora.ico"
!define MUI_UNICON "${__FILEDIR__}/nelvora.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\orsivel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var SchedulerClosed ; 1 when a running scheduler was told to end

; --- what the file list expands to ---
!macro _NelvoraPath DIR NAME
  !if "${DIR}" == ""
    !define /redef _NELVORA_PATH "${NAME}"
  !else
    !define /redef _NELVORA_PATH "${DIR}\${NAME}"
  !endif
!macroend

!macro InstallFile DIR NAME
  !if "${DIR}" == ""
    SetOutPath "$INSTDIR"
    File "${STAGE}/${NAME}"
  !else
    SetOutPath "$INSTDIR\${DIR}"
    File "${STAGE}/${DIR}/${NAME}"
  !endif
!macroend

; $R9 counts the files that are in use.
!macro CheckFileFree DIR NAME
  !insertmacro _NelvoraPath "${DIR}" "${NAME}"
  ${If} ${FileExists} "$INSTDIR\${_NELVORA_PATH}"
    ; A running program's file (its image or a DLL it loaded) cannot be opened for writing.
    ClearErrors
    FileOpen $R8 "$INSTDIR\${_NELVORA_PATH}" a
    ${If} ${Errors}
      IntOp $R9 $R9 + 1
      DetailPrint "In use: $INSTDIR\${_NELVORA_PATH}"
    ${Else}
      FileClose $R8
    ${EndIf}
  ${EndIf}
!macroend

; $R9 counts the files that could not be removed.
!macro RemoveFile DIR NAME
  !insertmacro _NelvoraPath "${DIR}" "${NAME}"
  Delete "$INSTDIR\${_NELVORA_PATH}"
  ${If} ${FileExists} "$INSTDIR\${_NELVORA_PATH}"
    IntOp $R9 $R9 + 1
    DetailPrint "Could not remove $INSTDIR\${_NELVORA_PATH}"
  ${EndIf}
!macroend

!macro RemoveFolder DIR
  RMDir "$INSTDIR\${DIR}"
!macroend

; --- functions the installer and the uninstaller both need ---
!macro NelvoraFunctions UN
  ; Tells every running scheduler to end, as it is told to end: WM_CLOSE to its hidden
  ; window of class TForm1 titled "Nelvora". A scheduler that does not answer within 5 s
  ; is passed over; the check for files in use catches it.
  Function ${UN}CloseScheduler
    Push $0
    Push $1
    StrCpy $1 0
    ${Do}
      FindWindow $0 "${SCHEDULER_CLASS}" "${SCHEDULER_TITLE}"
      ${If} $0 == 0
      ${OrIf} $1 >= 8
        ${Break}
      ${EndIf}
      DetailPrint "Ending the running scheduler"
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      StrCpy $SchedulerClosed 1
      IntOp $1 $1 + 1
      Sleep 100
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd

  ; Returns on the stack how many of the installed files are in use, waiting up to 10 s
  ; for a scheduler that was just told to end to let go of its files.
  Function ${UN}FilesInUse
    Push $R7
    Push $R8
    Push $R9
    StrCpy $R7 0
    ${Do}
      StrCpy $R9 0
      !insertmacro NelvoraFiles CheckFileFree
      ${If} $R9 == 0
      ${OrIf} $SchedulerClosed != 1
      ${OrIf} $R7 >= 40
        ${Break}
      ${EndIf}
      IntOp $R7 $R7 + 1
      Sleep 250
    ${Loop}
    StrCpy $R7 $R9
    Pop $R9
    Pop $R8
    Exch $R7
  FunctionEnd

  ; Stops (or, with the user, waits) until no installed file is in use; nothing has been
  ; changed yet when it gives up. Silent runs end with the exit code EXIT_IN_USE.
  Function ${UN}EnsureNotRunning
    Push $0
    ${Do}
      ; Again after each Retry: the user may have started the scheduler meanwhile.
      Call ${UN}CloseScheduler
      Call ${UN}FilesInUse
      Pop $0
      ${If} $0 == 0
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is still running ($0 of its files are in use).$\r$\n$\r$\nClose the editor and every other ${PRODUCT} window, then choose Retry." \
        /SD IDCANCEL IDRETRY retry
      DetailPrint "Nothing was changed: $0 files of $INSTDIR are in use"
      ; Nothing changed means the scheduler goes on reminding too.
      ${If} $SchedulerClosed == 1
      ${AndIf} ${FileExists} "$INSTDIR\Velmaro.exe"
        Exec '"$INSTDIR\Velmaro.exe"'
      ${EndIf}
      SetErrorLevel ${EXIT_IN_USE}
      Abort "${PRODUCT} is still running; nothing was changed."
      retry:
    ${Loop}
    Pop $0
  FunctionEnd
!macroend
!insertmacro NelvoraFunctions ""
!insertmacro NelvoraFunctions "un."

Function .onInit
  SetShellVarContext current
  StrCpy $SchedulerClosed 0
FunctionEnd

Function un.onInit
  SetShellVarContext current
  StrCpy $SchedulerClosed 0
FunctionEnd

Section "Nelvora and Reminder" SecMain
  SectionIn RO
  Call EnsureNotRunning
  !insertmacro NelvoraFiles InstallFile
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Start menu entry of the current user opens the editor, which starts the scheduler.
  CreateShortCut "$SMPROGRAMS\Nelvora.lnk" "$INSTDIR\orsivel.exe" "" "$INSTDIR\orsivel.exe" 0 \
    SW_SHOWNORMAL "" "Create or edit reminders"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${V1}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${V2}
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://www.nelvora.example/"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orsivel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=1" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; A scheduler ended for an upgrade goes on from the new files.
  ${If} $SchedulerClosed == 1
    DetailPrint "Starting the scheduler again"
    Exec '"$INSTDIR\Velmaro.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.EnsureNotRunning

  StrCpy $R9 0
  !insertmacro NelvoraFiles RemoveFile
  !insertmacro NelvoraFolders RemoveFolder

  ; The programs are gone or broken now: a menu entry or start-up value would lead nowhere.
  Delete "$SMPROGRAMS\Nelvora.lnk"

  ; The editor writes the start-up value at each start, with the path in quotes or without;
  ; it is removed when it names this scheduler, and left to another copy that it names.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Nelvora"
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $1 $0 1 -1
    ${If} $1 == '"'
      StrCpy $0 $0 -1
    ${EndIf}
  ${EndIf}
  ${If} $0 == "$INSTDIR\Velmaro.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Nelvora"
  ${ElseIf} $0 != ""
    DetailPrint "Start-up value Nelvora kept: it names $0"
  ${EndIf}

  ${If} $R9 != 0
    ; Something (a virus scanner, an indexer) holds a file that was free a moment ago. The
    ; uninstaller and its entry stay, so that the install is still listed and a second run
    ; finishes the job; and the user is told.
    MessageBox MB_OK|MB_ICONSTOP \
      "$R9 files of ${PRODUCT} could not be removed from $INSTDIR. The program stays listed as installed; run its uninstaller again to finish." \
      /SD IDOK
    SetErrorLevel ${EXIT_LEFT_OVER}
    Abort "$R9 files could not be removed."
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Kept $INSTDIR: it holds files the installer did not put there"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
