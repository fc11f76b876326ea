<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en">
<context>
    <name />
    <message id="menu_find">
        <source>&amp;Find</source>
        <translation>&amp;Find</translation>
    </message>
    <message id="menu_revert">
        <source>&amp;Revert to Standard Snippet</source>
        <translation>&amp;Revert to Standard Snippet</translation>
    </message>
    <message id="menu_help">
        <source>Glimmerpad &amp;Help</source>
        <translation>Glimmerpad &amp;Help</translation>
    </message>
    <message id="menu_quit">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="cli_description">
        <source>Browse the code snippets that ship inside Xcode, switch them off or on, edit and revert them.</source>
        <translation>Browse the code snippets that ship inside Xcode, switch them off or on, edit and revert them.</translation>
    </message>
    <message id="cli_app_argument">
        <source>The Xcode application to use instead of /Applications/Xcode.app.</source>
        <translation>The Xcode application to use instead of /Applications/Xcode.app.</translation>
    </message>
    <message id="save_failed_title">
        <source>The snippet could not be saved.</source>
        <translation>The snippet could not be saved.</translation>
    </message>
    <message id="revert_failed_title">
        <source>The snippet could not be reverted.</source>
        <translation>The snippet could not be reverted.</translation>
    </message>
    <message id="failure_sheet_button">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="window_title">
        <source>Glimmerpad</source>
        <translation>Glimmerpad</translation>
    </message>
    <message id="openpanel_title">
        <source>Where is Xcode?</source>
        <translation>Where is Xcode?</translation>
    </message>
    <message id="openpanel_message">
        <source>Xcode is not in the Applications folder. Choose the Xcode application whose snippets you want to see.</source>
        <translation>Xcode is not in the Applications folder. Choose the Xcode application whose snippets you want to see.</translation>
    </message>
    <message id="openpanel_prompt">
        <source>Choose</source>
        <translation>Choose</translation>
    </message>
    <message id="version_support_sheet_title">
        <source>This version of Xcode is not supported</source>
        <translation>This version of Xcode is not supported</translation>
    </message>
    <message id="version_support_sheet_message">
        <source>Glimmerpad needs Xcode 4.3 or later. Install a newer Xcode, or choose another one at the next start.</source>
        <translation>Glimmerpad needs Xcode 4.3 or later. Install a newer Xcode, or choose another one at the next start.</translation>
    </message>
    <message id="version_support_sheet_default_button">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="xcode_process_sheet_title">
        <source>Xcode is running</source>
        <translation>Xcode is running</translation>
    </message>
    <message id="xcode_process_sheet_message">
        <source>Xcode reads snippets when it starts. Quit and reopen Xcode to use the snippets you have changed.</source>
        <translation>Xcode reads snippets when it starts. Quit and reopen Xcode to use the snippets you have changed.</translation>
    </message>
    <message id="xcode_process_sheet_default_button">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="popover_accessible_name">
        <source>Snippet editor</source>
        <translation>Snippet editor</translation>
    </message>
    <message id="popover_onoff_accessible_name">
        <source>Completion shortcut on or off</source>
        <translation>Completion shortcut on or off</translation>
    </message>
    <message id="menu_edit">
        <source>&amp;Edit Snippet</source>
        <translation>&amp;Edit Snippet</translation>
    </message>
    <message id="menu_save">
        <source>&amp;Save Snippet</source>
        <translation>&amp;Save Snippet</translation>
    </message>
    <message id="menu_window">
        <source>&amp;Window</source>
        <translation>&amp;Window</translation>
    </message>
    <message id="row_state_disabled">
        <source>%1 (changed, shortcut off)</source>
        <translation>%1 (changed, shortcut off)</translation>
    </message>
    <message id="row_state_override">
        <source>%1 (changed)</source>
        <translation>%1 (changed)</translation>
    </message>
    <message id="popover_editor_accessible_name">
        <source>Snippet body</source>
        <translation>Snippet body</translation>
    </message>
    <message id="window_button_close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="window_button_minimize">
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message id="window_button_zoom">
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message id="window_button_full_screen">
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
    <message id="home_alert_title">
        <source>Glimmerpad cannot find your home folder.</source>
        <translation>Glimmerpad cannot find your home folder.</translation>
    </message>
    <message id="home_alert_button">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="changed_on_disk_title">
        <source>The snippet was changed outside Glimmerpad.</source>
        <translation>The snippet was changed outside Glimmerpad.</translation>
    </message>
    <message id="changed_on_disk_message">
        <source>Another program changed this snippet after Glimmerpad showed it, so your change was not saved. Reload shows what is on disk now and gives up your unsaved change; copy your text first to keep it.</source>
        <translation>Another program changed this snippet after Glimmerpad showed it, so your change was not saved. Reload shows what is on disk now and gives up your unsaved change; copy your text first to keep it.</translation>
    </message>
    <message id="changed_on_disk_reload">
        <source>Reload</source>
        <translation>Reload</translation>
    </message>
    <message id="changed_on_disk_keep">
        <source>Keep Editing</source>
        <translation>Keep Editing</translation>
    </message>
</context>
<context>
    <name>EditorPopoverContent</name>
    <message id="Snippet title">
        <source>Snippet title</source>
        <translation>Snippet title</translation>
    </message>
    <message id="Completion shortcut">
        <source>Completion shortcut</source>
        <translation>Completion shortcut</translation>
    </message>
    <message id="On">
        <source>On</source>
        <translation>On</translation>
    </message>
    <message id="Keep the completion shortcut">
        <source>Keep the completion shortcut</source>
        <translation>Keep the completion shortcut</translation>
    </message>
    <message id="Off">
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message id="Switch the completion shortcut off">
        <source>Switch the completion shortcut off</source>
        <translation>Switch the completion shortcut off</translation>
    </message>
    <message id="Snippet contents">
        <source>Snippet contents</source>
        <translation>Snippet contents</translation>
    </message>
    <message id="Edit">
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message id="Edit the snippet; press again to save">
        <source>Edit the snippet; press again to save</source>
        <translation>Edit the snippet; press again to save</translation>
    </message>
    <message id="Done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
</context>
<context>
    <name>MainContent</name>
    <message id="Search titles and summaries">
        <source>Search titles and summaries</source>
        <translation>Search titles and summaries</translation>
    </message>
    <message id="Search snippets">
        <source>Search snippets</source>
        <translation>Search snippets</translation>
    </message>
    <message id="Commands">
        <source>Commands</source>
        <translation>Commands</translation>
    </message>
    <message id="Snippets">
        <source>Snippets</source>
        <translation>Snippets</translation>
    </message>
</context>
</TS>