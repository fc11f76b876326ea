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
    <message id="batch_switch_failed_title">
        <source>Some snippets could not be switched.</source>
        <translation>Some snippets could not be switched.</translation>
    </message>
    <message id="batch_revert_accept">
        <source>Revert</source>
        <translation>Revert</translation>
    </message>
    <message id="batch_revert_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="batch_revert_failed_title">
        <source>Some snippets could not be reverted.</source>
        <translation>Some snippets could not be reverted.</translation>
    </message>
    <message id="batch_failed_summary">
        <source>%1 of %2 could not be changed; the others are done.</source>
        <translation>%1 of %2 could not be changed; the others are done.</translation>
    </message>
    <message id="language_all">
        <source>All Languages</source>
        <translation>All Languages</translation>
    </message>
    <message id="export_title">
        <source>Export Overrides</source>
        <translation>Export Overrides</translation>
    </message>
    <message id="export_done_title">
        <source>Export Overrides</source>
        <translation>Export Overrides</translation>
    </message>
    <message id="import_title">
        <source>Import Overrides</source>
        <translation>Import Overrides</translation>
    </message>
    <message id="import_done_title">
        <source>Import Overrides</source>
        <translation>Import Overrides</translation>
    </message>
    <message id="transfer_not_done">
        <source>Not done:</source>
        <translation>Not done:</translation>
    </message>
    <message id="compare_title">
        <source>Compare with Standard: %1</source>
        <translation>Compare with Standard: %1</translation>
    </message>
    <message id="compare_standard">
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message id="compare_override">
        <source>Yours</source>
        <translation>Yours</translation>
    </message>
    <message id="compare_side_by_side">
        <source>Side by Side</source>
        <translation>Side by Side</translation>
    </message>
    <message id="compare_unified">
        <source>Unified</source>
        <translation>Unified</translation>
    </message>
    <message id="menu_turn_off">
        <source>Turn Shortcut &amp;Off</source>
        <translation>Turn Shortcut &amp;Off</translation>
    </message>
    <message id="menu_turn_on">
        <source>Turn Shortcut O&amp;n</source>
        <translation>Turn Shortcut O&amp;n</translation>
    </message>
    <message id="menu_show_changed_only">
        <source>Show &amp;Changed Only</source>
        <translation>Show &amp;Changed Only</translation>
    </message>
    <message id="menu_compare">
        <source>Co&amp;mpare with Standard</source>
        <translation>Co&amp;mpare with Standard</translation>
    </message>
    <message id="menu_export">
        <source>E&amp;xport Overrides…</source>
        <translation>E&amp;xport Overrides…</translation>
    </message>
    <message id="menu_import">
        <source>&amp;Import Overrides…</source>
        <translation>&amp;Import Overrides…</translation>
    </message>
    <message id="import_file_filter">
        <source>Snippets (*.codesnippet)</source>
        <translation>Snippets (*.codesnippet)</translation>
    </message>
    <message id="compare_failed_title">
        <source>Cannot Compare</source>
        <translation>Cannot Compare</translation>
    </message>
    <message id="compare_failed_message">
        <source>The differences could not be worked out: %1</source>
        <translation>The differences could not be worked out: %1</translation>
    </message>
    <message id="batch_progress_accessible_name">
        <source>Changing snippets</source>
        <translation>Changing snippets</translation>
    </message>
    <message id="batch_stop">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="batch_progress">
        <source>Changing %1 of %2 snippets…</source>
        <translation>Changing %1 of %2 snippets…</translation>
    </message>
    <message id="batch_stopped">
        <source>Stopped after %1 of %2 snippets; those stay changed.</source>
        <translation>Stopped after %1 of %2 snippets; those stay changed.</translation>
    </message>
    <message id="batch_stopped_title">
        <source>Stopped</source>
        <translation>Stopped</translation>
    </message>
    <message id="batch_busy">
        <source>Glimmerpad is still changing other snippets; try again when it is done.</source>
        <translation>Glimmerpad is still changing other snippets; try again when it is done.</translation>
    </message>
    <message id="batch_waiting">
        <source>Waiting: %1.</source>
        <translation>Waiting: %1.</translation>
    </message>
    <message id="unsaved_title">
        <source>Save the changes to “%1”?</source>
        <translation>Save the changes to “%1”?</translation>
    </message>
    <message id="unsaved_message">
        <source>What you typed is not saved yet. Discard gives it up; Cancel goes back to it.</source>
        <translation>What you typed is not saved yet. Discard gives it up; Cancel goes back to it.</translation>
    </message>
    <message id="unsaved_save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="unsaved_discard">
        <source>Discard</source>
        <translation>Discard</translation>
    </message>
    <message id="unsaved_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="transfer_not_carried">
        <source>Not carried (an override carries the body, the on/off state and the system's shortcut):</source>
        <translation>Not carried (an override carries the body, the on/off state and the system's shortcut):</translation>
    </message>
    <message id="batch_rebase_failed_title">
        <source>Some snippets could not be rebased.</source>
        <translation>Some snippets could not be rebased.</translation>
    </message>
    <message id="rebase_failed_title">
        <source>The snippet could not be rebased.</source>
        <translation>The snippet could not be rebased.</translation>
    </message>
    <message id="rebase_conflict_title">
        <source>You and the standard changed the same lines</source>
        <translation>You and the standard changed the same lines</translation>
    </message>
    <message id="rebase_conflict_message">
        <source>The marked lines hold both versions. Keep what you want, remove the marker lines, and save: the override is then made on the current standard snippet. Nothing is written before.</source>
        <translation>The marked lines hold both versions. Keep what you want, remove the marker lines, and save: the override is then made on the current standard snippet. Nothing is written before.</translation>
    </message>
    <message id="stale_title">
        <source>The standard snippets changed</source>
        <translation>The standard snippets changed</translation>
    </message>
    <message id="stale_message" numerus="yes">
        <source>%n override(s) were made from standard snippets that have changed since, most likely by an Xcode update. Show Needing Attention lists them; Rebase on Current Standard brings your changes onto the new ones.</source>
        <translation><numerusform>%n override was made from a standard snippet that has changed since, most likely by an Xcode update. Show Needing Attention lists it; Rebase on Current Standard brings your changes onto the new one.</numerusform>
            <numerusform>%n overrides were made from standard snippets that have changed since, most likely by an Xcode update. Show Needing Attention lists them; Rebase on Current Standard brings your changes onto the new ones.</numerusform>
        </translation>
    </message>
    <message id="stale_show">
        <source>Show Them</source>
        <translation>Show Them</translation>
    </message>
    <message id="stale_later">
        <source>Later</source>
        <translation>Later</translation>
    </message>
    <message id="menu_needs_attention">
        <source>Show Needing &amp;Attention</source>
        <translation>Show Needing &amp;Attention</translation>
    </message>
    <message id="menu_rebase">
        <source>Re&amp;base on Current Standard</source>
        <translation>Re&amp;base on Current Standard</translation>
    </message>
    <message id="row_stale">
        <source>The standard snippet changed since this override was made</source>
        <extracomment>On a row whose override was made from an older standard snippet</extracomment>
        <translation>The standard snippet changed since this override was made</translation>
    </message>
    <message id="row_orphaned">
        <source>This Xcode has no such snippet any more</source>
        <translation>This Xcode has no such snippet any more</translation>
    </message>
    <message id="batch_stopped_before">
        <source>stopped before this snippet was changed</source>
        <translation>stopped before this snippet was changed</translation>
    </message>
    <message id="batch_revert_count_question" numerus="yes">
        <source>Revert %n snippet(s) to the standard ones?</source>
        <translation><numerusform>Revert %n snippet to the standard one?</numerusform>
            <numerusform>Revert %n snippets to the standard ones?</numerusform>
        </translation>
    </message>
    <message id="batch_revert_trash_message">
        <source>Their override files go to the trash; you can restore them from there.</source>
        <translation>Their override files go to the trash; you can restore them from there.</translation>
    </message>
    <message id="export_done_count" numerus="yes">
        <source>%n override(s) exported.</source>
        <translation><numerusform>%n override exported.</numerusform>
            <numerusform>%n overrides exported.</numerusform>
        </translation>
    </message>
    <message id="import_done_count" numerus="yes">
        <source>%n override(s) imported.</source>
        <translation><numerusform>%n override imported.</numerusform>
            <numerusform>%n overrides imported.</numerusform>
        </translation>
    </message>
    <message id="help_window_title">
        <source>Glimmerpad Help</source>
        <translation>Glimmerpad Help</translation>
    </message>
    <message id="cli_qt_options">
        <source>Qt's own options (-style NAME, -platform NAME, -reverse, ...) are taken as by any Qt program.</source>
        <translation>Qt's own options (-style NAME, -platform NAME, -reverse, ...) are taken as by any Qt program.</translation>
    </message>
    <message id="no_xcode_title">
        <source>No Xcode was chosen</source>
        <translation>No Xcode was chosen</translation>
    </message>
    <message id="no_xcode_message">
        <source>Glimmerpad shows the snippets of an Xcode application. Start Glimmerpad again and choose one, or name it on the command line: glimmerpad /path/to/Xcode.app</source>
        <translation>Glimmerpad shows the snippets of an Xcode application. Start Glimmerpad again and choose one, or name it on the command line: glimmerpad /path/to/Xcode.app</translation>
    </message>
    <message id="no_xcode_button">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="filter_bar_label">
        <source>Showing only:</source>
        <translation>Showing only:</translation>
    </message>
    <message id="filter_chip_turn_off">
        <source>Turn off “%1”</source>
        <translation>Turn off “%1”</translation>
    </message>
    <message id="filter_chip_changed">
        <source>Changed</source>
        <translation>Changed</translation>
    </message>
    <message id="filter_chip_needs_attention">
        <source>Needing Attention</source>
        <translation>Needing Attention</translation>
    </message>
    <message id="empty_search_filtered">
        <source>No snippet matches “%1” with the filters on.</source>
        <translation>No snippet matches “%1” with the filters on.</translation>
    </message>
    <message id="empty_search">
        <source>No snippet matches “%1”.</source>
        <translation>No snippet matches “%1”.</translation>
    </message>
    <message id="empty_search_hint">
        <source>The search looks in titles, summaries and shortcuts; Search Bodies Too looks in bodies as well.</source>
        <translation>The search looks in titles, summaries and shortcuts; Search Bodies Too looks in bodies as well.</translation>
    </message>
    <message id="empty_attention">
        <source>Nothing needs attention.</source>
        <translation>Nothing needs attention.</translation>
    </message>
    <message id="empty_attention_language">
        <source>Nothing in %1 needs attention.</source>
        <translation>Nothing in %1 needs attention.</translation>
    </message>
    <message id="empty_changed">
        <source>No snippet is changed.</source>
        <translation>No snippet is changed.</translation>
    </message>
    <message id="empty_changed_language">
        <source>No snippet in %1 is changed.</source>
        <translation>No snippet in %1 is changed.</translation>
    </message>
    <message id="empty_language">
        <source>No snippet in %1.</source>
        <translation>No snippet in %1.</translation>
    </message>
    <message id="empty_library">
        <source>This Xcode has no snippets.</source>
        <translation>This Xcode has no snippets.</translation>
    </message>
    <message id="empty_filters_hint">
        <source>Turn a filter off to see more snippets.</source>
        <translation>Turn a filter off to see more snippets.</translation>
    </message>
    <message id="compare_no_final_newline">
        <source>No newline at end of text</source>
        <translation>No newline at end of text</translation>
    </message>
    <message id="compare_no_differences">
        <source>No differences: the two texts are the same.</source>
        <translation>No differences: the two texts are the same.</translation>
    </message>
    <message id="popover_icon_changed">
        <source>Changed snippet</source>
        <translation>Changed snippet</translation>
    </message>
    <message id="popover_icon_standard">
        <source>Standard snippet</source>
        <translation>Standard snippet</translation>
    </message>
    <message id="filter_chip_clashes">
        <source>Clashing</source>
        <translation>Clashing</translation>
    </message>
    <message id="filter_chip_bodies">
        <source>Bodies Too</source>
        <translation>Bodies Too</translation>
    </message>
    <message id="search_placeholder_bodies">
        <source>Search titles, summaries, shortcuts and bodies</source>
        <translation>Search titles, summaries, shortcuts and bodies</translation>
    </message>
    <message id="search_placeholder_plain">
        <source>Search titles, summaries and shortcuts</source>
        <translation>Search titles, summaries and shortcuts</translation>
    </message>
    <message id="search_clear">
        <source>Clear Search</source>
        <translation>Clear Search</translation>
    </message>
    <message id="menu_show_clashes">
        <source>Show C&amp;lashes</source>
        <translation>Show C&amp;lashes</translation>
    </message>
    <message id="menu_search_bodies">
        <source>Search &amp;Bodies Too</source>
        <translation>Search &amp;Bodies Too</translation>
    </message>
    <message id="empty_search_hint_bodies">
        <source>The search looks in titles, summaries, shortcuts and bodies.</source>
        <translation>The search looks in titles, summaries, shortcuts and bodies.</translation>
    </message>
    <message id="empty_clashes">
        <source>No two snippets answer the same shortcut in the same place.</source>
        <translation>No two snippets answer the same shortcut in the same place.</translation>
    </message>
    <message id="compare_tab_yours">
        <source>Your Changes</source>
        <translation>Your Changes</translation>
    </message>
    <message id="compare_tab_standard_since">
        <source>Changes to the Standard</source>
        <translation>Changes to the Standard</translation>
    </message>
    <message id="compare_standard_then">
        <source>Standard When Your Override Was Made</source>
        <translation>Standard When Your Override Was Made</translation>
    </message>
    <message id="compare_standard_now">
        <source>Standard Now</source>
        <translation>Standard Now</translation>
    </message>
    <message id="row_clash">
        <source>Its shortcut “%1” is answered by %2 too</source>
        <translation>Its shortcut “%1” is answered by %2 too</translation>
    </message>
    <message id="batch_turn_off_own_title">
        <source>Turn off shortcuts of your own?</source>
        <translation>Turn off shortcuts of your own?</translation>
    </message>
    <message id="batch_turn_off_own_message" numerus="yes">
        <source>%n of the snippets answer(s) a shortcut you gave. Switched off, a snippet gives its shortcut up; switched on again, it answers the standard one.</source>
        <translation><numerusform>%n of the snippets answers a shortcut you gave it. Switched off, a snippet gives its shortcut up; switched on again, it answers the standard one.</numerusform>
            <numerusform>%n of the snippets answer shortcuts you gave them. Switched off, a snippet gives its shortcut up; switched on again, it answers the standard one.</numerusform>
        </translation>
    </message>
    <message id="turn_off_own_accept">
        <source>Turn Off</source>
        <translation>Turn Off</translation>
    </message>
    <message id="turn_off_own_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="popover_scopes">
        <source>Offered in: %1</source>
        <translation>Offered in: %1</translation>
    </message>
    <message id="popover_shortcut_empty">
        <source>A shortcut cannot be empty: switch the snippet Off to have none.</source>
        <translation>A shortcut cannot be empty: switch the snippet Off to have none.</translation>
    </message>
    <message id="popover_shortcut_invalid">
        <source>A shortcut cannot hold spaces or control characters.</source>
        <translation>A shortcut cannot hold spaces or control characters.</translation>
    </message>
    <message id="popover_shortcut_clash">
        <source>%2 answers “%1” here too: Xcode offers both.</source>
        <translation>%2 answers “%1” here too: Xcode offers both.</translation>
    </message>
    <message id="turn_off_own_title">
        <source>Turn off “%1”?</source>
        <translation>Turn off “%1”?</translation>
    </message>
    <message id="turn_off_own_message">
        <source>Its shortcut “%1” is your own. Switched off, the snippet gives it up; switched on again, it answers the standard shortcut.</source>
        <translation>Its shortcut “%1” is your own. Switched off, the snippet gives it up; switched on again, it answers the standard shortcut.</translation>
    </message>
    <message id="scope_all">
        <source>All</source>
        <translation>All</translation>
    </message>
    <message id="scope_class_implementation">
        <source>Class Implementation</source>
        <translation>Class Implementation</translation>
    </message>
    <message id="scope_class_interface_methods">
        <source>Class Interface Methods</source>
        <translation>Class Interface Methods</translation>
    </message>
    <message id="scope_class_interface_variables">
        <source>Class Interface Variables</source>
        <translation>Class Interface Variables</translation>
    </message>
    <message id="scope_code_block">
        <source>Function or Method</source>
        <translation>Function or Method</translation>
    </message>
    <message id="scope_code_expression">
        <source>Code Expression</source>
        <translation>Code Expression</translation>
    </message>
    <message id="scope_string_or_comment">
        <source>String or Comment</source>
        <translation>String or Comment</translation>
    </message>
    <message id="scope_top_level">
        <source>Top Level</source>
        <translation>Top Level</translation>
    </message>
    <message id="scope_preprocessor">
        <source>Preprocessor Directive</source>
        <translation>Preprocessor Directive</translation>
    </message>
    <message id="snippet_name_quoted">
        <source>“%1”</source>
        <extracomment>A snippet's title quoted in running text</extracomment>
        <translation>“%1”</translation>
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
    <message id="This snippet was changed outside Glimmerpad while you were editing it. Saving will ask what to do.">
        <source>This snippet was changed outside Glimmerpad while you were editing it. Saving will ask what to do.</source>
        <translation>This snippet was changed outside Glimmerpad while you were editing it. Saving will ask what to do.</translation>
    </message>
    <message id="Compare with Standard">
        <source>Compare with Standard</source>
        <translation>Compare with Standard</translation>
    </message>
    <message id="Show what this override changes in the standard snippet">
        <source>Show what this override changes in the standard snippet</source>
        <translation>Show what this override changes in the standard snippet</translation>
    </message>
    <message id="Rebase">
        <source>Rebase</source>
        <translation>Rebase</translation>
    </message>
    <message id="Make this override again on the current standard snippet, keeping your changes">
        <source>Make this override again on the current standard snippet, keeping your changes</source>
        <translation>Make this override again on the current standard snippet, keeping your changes</translation>
    </message>
    <message id="The standard snippet changed since this override was made.">
        <source>The standard snippet changed since this override was made.</source>
        <translation>The standard snippet changed since this override was made.</translation>
    </message>
    <message id="The completion shortcut: what you type in Xcode to insert this snippet">
        <source>The completion shortcut: what you type in Xcode to insert this snippet</source>
        <translation>The completion shortcut: what you type in Xcode to insert this snippet</translation>
    </message>
    <message id="Where the shortcut is offered">
        <source>Where the shortcut is offered</source>
        <translation>Where the shortcut is offered</translation>
    </message>
</context>
<context>
    <name>MainContent</name>
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
    <message id="Show the snippets of one language">
        <source>Show the snippets of one language</source>
        <translation>Show the snippets of one language</translation>
    </message>
    <message id="Language">
        <source>Language</source>
        <translation>Language</translation>
    </message>
</context>
</TS>