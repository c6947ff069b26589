  ; The user's own data, in the profile of whoever uninstalls: $APPDATA in the current user's
  ; context (HKCU is theirs in either). The recovery folder goes once it is empty, and the
  ; program's data folder with it; recovery copies still in it are unsaved work, and stay.
  SetShellVarContext current
  RMDir "$APPDATA\@windows_data_folder@\recovery"
  RMDir "$APPDATA\@windows_data_folder@"
  ; The settings, and what Qt's file dialogs keep of the folders visited, stay unless the user
  ; asks for them to go (or /REMOVESETTINGS does, for a silent uninstall): a reinstall finds
  ; them again, and an update, which uninstalls silently first, keeps them.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  IfErrors 0 remove_settings
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "@windows_remove_settings_question@" \
    /SD IDNO IDNO keep_settings
  remove_settings:
    DeleteRegKey HKCU "Software\@windows_settings_key@"
    DeleteRegKey HKCU "Software\QtProject\OrganizationDefaults\FileDialog"
    DeleteRegKey /ifempty HKCU "Software\QtProject\OrganizationDefaults"
    DeleteRegKey /ifempty HKCU "Software\QtProject"
  keep_settings:
  ; Back to the context un.onInit chose: all users' for an administrator or a power user.
  UserInfo::GetAccountType
  Pop $0
  StrCmp $0 "Admin" all_users_context
  StrCmp $0 "Power" all_users_context user_data_done
  all_users_context:
    SetShellVarContext all
  user_data_done:
