<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="de">
<context>
    <name />
    <message id="popover_accessible_name">
        <source>Snippet editor</source>
        <translation>Snippet-Editor</translation>
    </message>
    <message id="popover_onoff_accessible_name">
        <source>Completion shortcut on or off</source>
        <translation>Vervollständigungskürzel ein oder aus</translation>
    </message>
    <message id="menu_find">
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message id="menu_revert">
        <source>&amp;Revert to Standard Snippet</source>
        <translation>Auf Standard-Snippet &amp;zurücksetzen</translation>
    </message>
    <message id="menu_help">
        <source>Glimmerpad &amp;Help</source>
        <translation>Glimmerpad-&amp;Hilfe</translation>
    </message>
    <message id="menu_quit">
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message id="menu_edit">
        <source>&amp;Edit Snippet</source>
        <translation>Snippet &amp;bearbeiten</translation>
    </message>
    <message id="menu_save">
        <source>&amp;Save Snippet</source>
        <translation>Snippet &amp;sichern</translation>
    </message>
    <message id="menu_window">
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message id="cli_description">
        <source>Browse the code snippets that ship inside Xcode, switch them off or on, edit and revert them.</source>
        <translation>Die Code-Snippets durchsehen, die Xcode mitbringt, sie aus- oder einschalten, bearbeiten und zurücksetzen.</translation>
    </message>
    <message id="cli_app_argument">
        <source>The Xcode application to use instead of /Applications/Xcode.app.</source>
        <translation>Das Xcode-Programm, das statt /Applications/Xcode.app verwendet wird.</translation>
    </message>
    <message id="save_failed_title">
        <source>The snippet could not be saved.</source>
        <translation>Das Snippet konnte nicht gesichert werden.</translation>
    </message>
    <message id="revert_failed_title">
        <source>The snippet could not be reverted.</source>
        <translation>Das Snippet konnte nicht zurückgesetzt werden.</translation>
    </message>
    <message id="failure_sheet_button">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="row_state_disabled">
        <source>%1 (changed, shortcut off)</source>
        <translation>%1 (geändert, Kürzel aus)</translation>
    </message>
    <message id="row_state_override">
        <source>%1 (changed)</source>
        <translation>%1 (geändert)</translation>
    </message>
    <message id="popover_editor_accessible_name">
        <source>Snippet body</source>
        <translation>Snippet-Text</translation>
    </message>
    <message id="window_title">
        <source>Glimmerpad</source>
        <translation>Glimmerpad</translation>
    </message>
    <message id="openpanel_title">
        <source>Where is Xcode?</source>
        <translation>Wo ist Xcode?</translation>
    </message>
    <message id="openpanel_message">
        <source>Xcode is not in the Applications folder. Choose the Xcode application whose snippets you want to see.</source>
        <translation>Xcode liegt nicht im Ordner „Applications“. Wählen Sie das Xcode-Programm, dessen Snippets Sie sehen möchten.</translation>
    </message>
    <message id="openpanel_prompt">
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
    <message id="version_support_sheet_title">
        <source>This version of Xcode is not supported</source>
        <translation>Diese Xcode-Version wird nicht unterstützt</translation>
    </message>
    <message id="version_support_sheet_message">
        <source>Glimmerpad needs Xcode 4.3 or later. Install a newer Xcode, or choose another one at the next start.</source>
        <translation>Glimmerpad braucht Xcode 4.3 oder neuer. Installieren Sie ein neueres Xcode oder wählen Sie beim nächsten Start ein anderes.</translation>
    </message>
    <message id="version_support_sheet_default_button">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="xcode_process_sheet_title">
        <source>Xcode is running</source>
        <translation>Xcode läuft</translation>
    </message>
    <message id="xcode_process_sheet_message">
        <source>Xcode reads snippets when it starts. Quit and reopen Xcode to use the snippets you have changed.</source>
        <translation>Xcode liest die Snippets beim Start. Beenden Sie Xcode und öffnen Sie es erneut, um die geänderten Snippets zu verwenden.</translation>
    </message>
    <message id="xcode_process_sheet_default_button">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="window_button_close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="window_button_minimize">
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message id="window_button_zoom">
        <source>Zoom</source>
        <translation>Zoomen</translation>
    </message>
    <message id="window_button_full_screen">
        <source>Full Screen</source>
        <translation>Vollbild</translation>
    </message>
    <message id="home_alert_title">
        <source>Glimmerpad cannot find your home folder.</source>
        <translation>Glimmerpad findet Ihren persönlichen Ordner nicht.</translation>
    </message>
    <message id="home_alert_button">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="changed_on_disk_title">
        <source>The snippet was changed outside Glimmerpad.</source>
        <translation>Das Snippet wurde außerhalb von Glimmerpad geändert.</translation>
    </message>
    <message id="changed_on_disk_message">
        <source>Another program changed this snippet after Glimmerpad showed it, so your change was not saved. Reload shows what is on disk now and gives up your unsaved change; copy your text first to keep it.</source>
        <translation>Ein anderes Programm hat dieses Snippet geändert, nachdem Glimmerpad es angezeigt hat; Ihre Änderung wurde deshalb nicht gesichert. „Neu laden“ zeigt, was jetzt auf der Festplatte steht, und verwirft Ihre ungesicherte Änderung; kopieren Sie Ihren Text vorher, um ihn zu behalten.</translation>
    </message>
    <message id="changed_on_disk_reload">
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message id="changed_on_disk_keep">
        <source>Keep Editing</source>
        <translation>Weiter bearbeiten</translation>
    </message>
</context>
<context>
    <name>EditorPopoverContent</name>
    <message id="Snippet title">
        <source>Snippet title</source>
        <translation>Snippet-Titel</translation>
    </message>
    <message id="Completion shortcut">
        <source>Completion shortcut</source>
        <translation>Vervollständigungskürzel</translation>
    </message>
    <message id="On">
        <source>On</source>
        <translation>Ein</translation>
    </message>
    <message id="Keep the completion shortcut">
        <source>Keep the completion shortcut</source>
        <translation>Vervollständigungskürzel behalten</translation>
    </message>
    <message id="Off">
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message id="Switch the completion shortcut off">
        <source>Switch the completion shortcut off</source>
        <translation>Vervollständigungskürzel ausschalten</translation>
    </message>
    <message id="Snippet contents">
        <source>Snippet contents</source>
        <translation>Snippet-Inhalt</translation>
    </message>
    <message id="Edit">
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message id="Edit the snippet; press again to save">
        <source>Edit the snippet; press again to save</source>
        <translation>Snippet bearbeiten; erneut drücken zum Sichern</translation>
    </message>
    <message id="Done">
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>MainContent</name>
    <message id="Search titles and summaries">
        <source>Search titles and summaries</source>
        <translation>Titel und Beschreibungen durchsuchen</translation>
    </message>
    <message id="Search snippets">
        <source>Search snippets</source>
        <translation>Snippets durchsuchen</translation>
    </message>
    <message id="Commands">
        <source>Commands</source>
        <translation>Befehle</translation>
    </message>
    <message id="Snippets">
        <source>Snippets</source>
        <translation>Snippets</translation>
    </message>
</context>
</TS>