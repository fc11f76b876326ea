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
    <message id="batch_switch_failed_title">
        <source>Some snippets could not be switched.</source>
        <translation>Einige Snippets konnten nicht umgeschaltet werden.</translation>
    </message>
    <message id="batch_revert_accept">
        <source>Revert</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message id="batch_revert_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="batch_revert_failed_title">
        <source>Some snippets could not be reverted.</source>
        <translation>Einige Snippets konnten nicht zurückgesetzt werden.</translation>
    </message>
    <message id="batch_failed_summary">
        <source>%1 of %2 could not be changed; the others are done.</source>
        <translation>%1 von %2 konnten nicht geändert werden; die übrigen sind erledigt.</translation>
    </message>
    <message id="language_all">
        <source>All Languages</source>
        <translation>Alle Sprachen</translation>
    </message>
    <message id="export_title">
        <source>Export Overrides</source>
        <translation>Überschreibungen exportieren</translation>
    </message>
    <message id="export_done_title">
        <source>Export Overrides</source>
        <translation>Überschreibungen exportieren</translation>
    </message>
    <message id="import_title">
        <source>Import Overrides</source>
        <translation>Überschreibungen importieren</translation>
    </message>
    <message id="import_done_title">
        <source>Import Overrides</source>
        <translation>Überschreibungen importieren</translation>
    </message>
    <message id="transfer_not_done">
        <source>Not done:</source>
        <translation>Nicht erledigt:</translation>
    </message>
    <message id="compare_title">
        <source>Compare with Standard: %1</source>
        <translation>Mit Standard vergleichen: %1</translation>
    </message>
    <message id="compare_standard">
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message id="compare_override">
        <source>Yours</source>
        <translation>Ihre Fassung</translation>
    </message>
    <message id="compare_side_by_side">
        <source>Side by Side</source>
        <translation>Nebeneinander</translation>
    </message>
    <message id="compare_unified">
        <source>Unified</source>
        <translation>Einheitlich</translation>
    </message>
    <message id="menu_turn_off">
        <source>Turn Shortcut &amp;Off</source>
        <translation>Kürzel &amp;aus</translation>
    </message>
    <message id="menu_turn_on">
        <source>Turn Shortcut O&amp;n</source>
        <translation>Kürzel e&amp;in</translation>
    </message>
    <message id="menu_show_changed_only">
        <source>Show &amp;Changed Only</source>
        <translation>Nur &amp;Geänderte zeigen</translation>
    </message>
    <message id="menu_compare">
        <source>Co&amp;mpare with Standard</source>
        <translation>Mit Standard &amp;vergleichen</translation>
    </message>
    <message id="menu_export">
        <source>E&amp;xport Overrides…</source>
        <translation>Überschreibungen e&amp;xportieren…</translation>
    </message>
    <message id="menu_import">
        <source>&amp;Import Overrides…</source>
        <translation>Überschreibungen &amp;importieren…</translation>
    </message>
    <message id="import_file_filter">
        <source>Snippets (*.codesnippet)</source>
        <translation>Snippets (*.codesnippet)</translation>
    </message>
    <message id="compare_failed_title">
        <source>Cannot Compare</source>
        <translation>Vergleich nicht möglich</translation>
    </message>
    <message id="compare_failed_message">
        <source>The differences could not be worked out: %1</source>
        <translation>Die Unterschiede konnten nicht ermittelt werden: %1</translation>
    </message>
    <message id="batch_progress_accessible_name">
        <source>Changing snippets</source>
        <translation>Snippets werden geändert</translation>
    </message>
    <message id="batch_stop">
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message id="batch_progress">
        <source>Changing %1 of %2 snippets…</source>
        <translation>Snippet %1 von %2 wird geändert …</translation>
    </message>
    <message id="batch_stopped">
        <source>Stopped after %1 of %2 snippets; those stay changed.</source>
        <translation>Nach %1 von %2 Snippets angehalten; diese bleiben geändert.</translation>
    </message>
    <message id="batch_stopped_title">
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message id="batch_busy">
        <source>Glimmerpad is still changing other snippets; try again when it is done.</source>
        <translation>Glimmerpad ändert noch andere Snippets; bitte versuchen Sie es, wenn das erledigt ist.</translation>
    </message>
    <message id="batch_waiting">
        <source>Waiting: %1.</source>
        <translation>Warten: %1.</translation>
    </message>
    <message id="unsaved_title">
        <source>Save the changes to “%1”?</source>
        <translation>Die Änderungen an „%1“ sichern?</translation>
    </message>
    <message id="unsaved_message">
        <source>What you typed is not saved yet. Discard gives it up; Cancel goes back to it.</source>
        <translation>Was Sie eingegeben haben, ist noch nicht gesichert. „Verwerfen“ gibt es auf; „Abbrechen“ kehrt dorthin zurück.</translation>
    </message>
    <message id="unsaved_save">
        <source>Save</source>
        <translation>Sichern</translation>
    </message>
    <message id="unsaved_discard">
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message id="unsaved_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="transfer_not_carried">
        <source>Not carried (an override carries the body, the on/off state and the system's shortcut):</source>
        <translation>Nicht übernommen (ein Override übernimmt den Inhalt, den Ein/Aus-Zustand und das Kürzel des Systems):</translation>
    </message>
    <message id="batch_rebase_failed_title">
        <source>Some snippets could not be rebased.</source>
        <translation>Einige Snippets konnten nicht neu aufgesetzt werden.</translation>
    </message>
    <message id="rebase_failed_title">
        <source>The snippet could not be rebased.</source>
        <translation>Das Snippet konnte nicht neu aufgesetzt werden.</translation>
    </message>
    <message id="rebase_conflict_title">
        <source>You and the standard changed the same lines</source>
        <translation>Sie und der Standard haben dieselben Zeilen geändert</translation>
    </message>
    <message id="rebase_conflict_message">
        <source>The marked lines hold both versions. Keep what you want, remove the marker lines, and save: the override is then made on the current standard snippet. Nothing is written before.</source>
        <translation>Die markierten Zeilen enthalten beide Fassungen. Behalten Sie, was Sie möchten, entfernen Sie die Markierungszeilen und sichern Sie: Die Überschreibung wird dann auf dem aktuellen Standard-Snippet angelegt. Vorher wird nichts geschrieben.</translation>
    </message>
    <message id="stale_title">
        <source>The standard snippets changed</source>
        <translation>Die Standard-Snippets haben sich geändert</translation>
    </message>
    <message id="stale_message" numerus="yes">
        <source>%n override(s) were made from standard snippets that have changed since, most likely by an Xcode update. Show Needing Attention lists them; Rebase on Current Standard brings your changes onto the new ones.</source>
        <translation>
            <numerusform>%n Überschreibung wurde aus einem Standard-Snippet angelegt, das sich seitdem geändert hat, vermutlich durch ein Xcode-Update. „Nur Handlungsbedarf anzeigen“ listet sie auf; „Auf aktuellem Standard neu aufsetzen“ überträgt Ihre Änderungen auf das neue.</numerusform>
            <numerusform>%n Überschreibungen wurden aus Standard-Snippets angelegt, die sich seitdem geändert haben, vermutlich durch ein Xcode-Update. „Nur Handlungsbedarf anzeigen“ listet sie auf; „Auf aktuellem Standard neu aufsetzen“ überträgt Ihre Änderungen auf die neuen.</numerusform>
        </translation>
    </message>
    <message id="stale_show">
        <source>Show Them</source>
        <translation>Anzeigen</translation>
    </message>
    <message id="stale_later">
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message id="menu_needs_attention">
        <source>Show Needing &amp;Attention</source>
        <translation>Nur &amp;Handlungsbedarf anzeigen</translation>
    </message>
    <message id="menu_rebase">
        <source>Re&amp;base on Current Standard</source>
        <translation>Auf aktuellem Standard neu auf&amp;setzen</translation>
    </message>
    <message id="row_stale">
        <source>The standard snippet changed since this override was made</source>
        <extracomment>On a row whose override was made from an older standard snippet</extracomment>
        <translation>Das Standard-Snippet hat sich geändert, seit diese Überschreibung angelegt wurde</translation>
    </message>
    <message id="row_orphaned">
        <source>This Xcode has no such snippet any more</source>
        <translation>Dieses Xcode hat kein solches Snippet mehr</translation>
    </message>
    <message id="batch_stopped_before">
        <source>stopped before this snippet was changed</source>
        <translation>angehalten, bevor dieses Snippet geändert wurde</translation>
    </message>
    <message id="batch_revert_count_question" numerus="yes">
        <source>Revert %n snippet(s) to the standard ones?</source>
        <translation>
            <numerusform>%n Snippet auf das Standard-Snippet zurücksetzen?</numerusform>
            <numerusform>%n Snippets auf die Standard-Snippets zurücksetzen?</numerusform>
        </translation>
    </message>
    <message id="batch_revert_trash_message">
        <source>Their override files go to the trash; you can restore them from there.</source>
        <translation>Ihre Überschreibungsdateien kommen in den Papierkorb; von dort können Sie sie wiederherstellen.</translation>
    </message>
    <message id="export_done_count" numerus="yes">
        <source>%n override(s) exported.</source>
        <translation>
            <numerusform>%n Überschreibung exportiert.</numerusform>
            <numerusform>%n Überschreibungen exportiert.</numerusform>
        </translation>
    </message>
    <message id="import_done_count" numerus="yes">
        <source>%n override(s) imported.</source>
        <translation>
            <numerusform>%n Überschreibung importiert.</numerusform>
            <numerusform>%n Überschreibungen importiert.</numerusform>
        </translation>
    </message>
    <message id="help_window_title">
        <source>Glimmerpad Help</source>
        <translation>Glimmerpad-Hilfe</translation>
    </message>
    <message id="cli_qt_options">
        <source>Qt's own options (-style NAME, -platform NAME, -reverse, ...) are taken as by any Qt program.</source>
        <translation>Die eigenen Optionen von Qt (-style NAME, -platform NAME, -reverse, …) werden wie von jedem Qt-Programm angenommen.</translation>
    </message>
    <message id="no_xcode_title">
        <source>No Xcode was chosen</source>
        <translation>Es wurde kein Xcode gewählt</translation>
    </message>
    <message id="no_xcode_message">
        <source>Glimmerpad shows the snippets of an Xcode application. Start Glimmerpad again and choose one, or name it on the command line: glimmerpad /path/to/Xcode.app</source>
        <translation>Glimmerpad zeigt die Snippets eines Xcode-Programms. Starten Sie Glimmerpad erneut und wählen Sie eines, oder geben Sie es auf der Befehlszeile an: glimmerpad /pfad/zu/Xcode.app</translation>
    </message>
    <message id="no_xcode_button">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="filter_bar_label">
        <source>Showing only:</source>
        <translation>Nur angezeigt:</translation>
    </message>
    <message id="filter_chip_turn_off">
        <source>Turn off “%1”</source>
        <translation>„%1“ ausschalten</translation>
    </message>
    <message id="filter_chip_changed">
        <source>Changed</source>
        <translation>Geändert</translation>
    </message>
    <message id="filter_chip_needs_attention">
        <source>Needing Attention</source>
        <translation>Handlungsbedarf</translation>
    </message>
    <message id="empty_search_filtered">
        <source>No snippet matches “%1” with the filters on.</source>
        <translation>Kein Snippet passt mit den eingeschalteten Filtern zu „%1“.</translation>
    </message>
    <message id="empty_search">
        <source>No snippet matches “%1”.</source>
        <translation>Kein Snippet passt zu „%1“.</translation>
    </message>
    <message id="empty_search_hint">
        <source>The search looks in titles, summaries and shortcuts; Search Bodies Too looks in bodies as well.</source>
        <translation>Die Suche durchsucht Titel, Zusammenfassungen und Kürzel; „Auch Inhalte durchsuchen“ durchsucht zusätzlich die Inhalte.</translation>
    </message>
    <message id="empty_attention">
        <source>Nothing needs attention.</source>
        <translation>Nichts braucht Ihre Aufmerksamkeit.</translation>
    </message>
    <message id="empty_attention_language">
        <source>Nothing in %1 needs attention.</source>
        <translation>Nichts in %1 braucht Ihre Aufmerksamkeit.</translation>
    </message>
    <message id="empty_changed">
        <source>No snippet is changed.</source>
        <translation>Kein Snippet ist geändert.</translation>
    </message>
    <message id="empty_changed_language">
        <source>No snippet in %1 is changed.</source>
        <translation>Kein Snippet in %1 ist geändert.</translation>
    </message>
    <message id="empty_language">
        <source>No snippet in %1.</source>
        <translation>Kein Snippet in %1.</translation>
    </message>
    <message id="empty_library">
        <source>This Xcode has no snippets.</source>
        <translation>Dieses Xcode hat keine Snippets.</translation>
    </message>
    <message id="empty_filters_hint">
        <source>Turn a filter off to see more snippets.</source>
        <translation>Schalten Sie einen Filter aus, um mehr Snippets zu sehen.</translation>
    </message>
    <message id="compare_no_final_newline">
        <source>No newline at end of text</source>
        <translation>Kein Zeilenumbruch am Ende des Textes</translation>
    </message>
    <message id="compare_no_differences">
        <source>No differences: the two texts are the same.</source>
        <translation>Keine Unterschiede: Die beiden Texte sind gleich.</translation>
    </message>
    <message id="popover_icon_changed">
        <source>Changed snippet</source>
        <translation>Geändertes Snippet</translation>
    </message>
    <message id="popover_icon_standard">
        <source>Standard snippet</source>
        <translation>Standard-Snippet</translation>
    </message>
    <message id="filter_chip_clashes">
        <source>Clashing</source>
        <translation>Kollisionen</translation>
    </message>
    <message id="filter_chip_bodies">
        <source>Bodies Too</source>
        <translation>Auch Inhalte</translation>
    </message>
    <message id="search_placeholder_bodies">
        <source>Search titles, summaries, shortcuts and bodies</source>
        <translation>Titel, Zusammenfassungen, Kürzel und Inhalte durchsuchen</translation>
    </message>
    <message id="search_placeholder_plain">
        <source>Search titles, summaries and shortcuts</source>
        <translation>Titel, Zusammenfassungen und Kürzel durchsuchen</translation>
    </message>
    <message id="search_clear">
        <source>Clear Search</source>
        <translation>Suche leeren</translation>
    </message>
    <message id="menu_show_clashes">
        <source>Show C&amp;lashes</source>
        <translation>&amp;Kollisionen zeigen</translation>
    </message>
    <message id="menu_search_bodies">
        <source>Search &amp;Bodies Too</source>
        <translation>Auch Inhalte d&amp;urchsuchen</translation>
    </message>
    <message id="empty_search_hint_bodies">
        <source>The search looks in titles, summaries, shortcuts and bodies.</source>
        <translation>Die Suche durchsucht Titel, Zusammenfassungen, Kürzel und Inhalte.</translation>
    </message>
    <message id="empty_clashes">
        <source>No two snippets answer the same shortcut in the same place.</source>
        <translation>Keine zwei Snippets antworten an derselben Stelle auf dasselbe Kürzel.</translation>
    </message>
    <message id="compare_tab_yours">
        <source>Your Changes</source>
        <translation>Ihre Änderungen</translation>
    </message>
    <message id="compare_tab_standard_since">
        <source>Changes to the Standard</source>
        <translation>Änderungen am Standard</translation>
    </message>
    <message id="compare_standard_then">
        <source>Standard When Your Override Was Made</source>
        <translation>Standard beim Anlegen Ihrer Überschreibung</translation>
    </message>
    <message id="compare_standard_now">
        <source>Standard Now</source>
        <translation>Standard jetzt</translation>
    </message>
    <message id="row_clash">
        <source>Its shortcut “%1” is answered by %2 too</source>
        <translation>Auf sein Kürzel „%1“ antwortet auch %2</translation>
    </message>
    <message id="batch_turn_off_own_title">
        <source>Turn off shortcuts of your own?</source>
        <translation>Eigene Kürzel ausschalten?</translation>
    </message>
    <message id="batch_turn_off_own_message" numerus="yes">
        <source>%n of the snippets answer(s) a shortcut you gave. Switched off, a snippet gives its shortcut up; switched on again, it answers the standard one.</source>
        <translation>
            <numerusform>%n der Snippets hat ein Kürzel, das Sie ihm gegeben haben. Ausgeschaltet gibt ein Snippet sein Kürzel auf; wieder eingeschaltet hat es das Standard-Kürzel.</numerusform>
            <numerusform>%n der Snippets haben Kürzel, die Sie ihnen gegeben haben. Ausgeschaltet gibt ein Snippet sein Kürzel auf; wieder eingeschaltet hat es das Standard-Kürzel.</numerusform>
        </translation>
    </message>
    <message id="turn_off_own_accept">
        <source>Turn Off</source>
        <translation>Ausschalten</translation>
    </message>
    <message id="turn_off_own_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="popover_scopes">
        <source>Offered in: %1</source>
        <translation>Angeboten in: %1</translation>
    </message>
    <message id="popover_shortcut_empty">
        <source>A shortcut cannot be empty: switch the snippet Off to have none.</source>
        <translation>Ein Kürzel darf nicht leer sein: Schalten Sie das Snippet aus, wenn es keines haben soll.</translation>
    </message>
    <message id="popover_shortcut_invalid">
        <source>A shortcut cannot hold spaces or control characters.</source>
        <translation>Ein Kürzel darf keine Leer- oder Steuerzeichen enthalten.</translation>
    </message>
    <message id="popover_shortcut_clash">
        <source>%2 answers “%1” here too: Xcode offers both.</source>
        <translation>%2 antwortet hier ebenfalls auf „%1“: Xcode bietet beide an.</translation>
    </message>
    <message id="turn_off_own_title">
        <source>Turn off “%1”?</source>
        <translation>„%1“ ausschalten?</translation>
    </message>
    <message id="turn_off_own_message">
        <source>Its shortcut “%1” is your own. Switched off, the snippet gives it up; switched on again, it answers the standard shortcut.</source>
        <translation>Das Kürzel „%1“ haben Sie selbst vergeben. Ausgeschaltet gibt das Snippet es auf; wieder eingeschaltet hat es das Standard-Kürzel.</translation>
    </message>
    <message id="scope_all">
        <source>All</source>
        <translation>Überall</translation>
    </message>
    <message id="scope_class_implementation">
        <source>Class Implementation</source>
        <translation>Klassenimplementierung</translation>
    </message>
    <message id="scope_class_interface_methods">
        <source>Class Interface Methods</source>
        <translation>Methoden der Klassenschnittstelle</translation>
    </message>
    <message id="scope_class_interface_variables">
        <source>Class Interface Variables</source>
        <translation>Variablen der Klassenschnittstelle</translation>
    </message>
    <message id="scope_code_block">
        <source>Function or Method</source>
        <translation>Funktion oder Methode</translation>
    </message>
    <message id="scope_code_expression">
        <source>Code Expression</source>
        <translation>Ausdruck</translation>
    </message>
    <message id="scope_string_or_comment">
        <source>String or Comment</source>
        <translation>Zeichenkette oder Kommentar</translation>
    </message>
    <message id="scope_top_level">
        <source>Top Level</source>
        <translation>Oberste Ebene</translation>
    </message>
    <message id="scope_preprocessor">
        <source>Preprocessor Directive</source>
        <translation>Präprozessor-Direktive</translation>
    </message>
    <message id="snippet_name_quoted">
        <source>“%1”</source>
        <extracomment>A snippet's title quoted in running text</extracomment>
        <translation>„%1“</translation>
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
    <message id="This snippet was changed outside Glimmerpad while you were editing it. Saving will ask what to do.">
        <source>This snippet was changed outside Glimmerpad while you were editing it. Saving will ask what to do.</source>
        <translation>Dieses Snippet wurde außerhalb von Glimmerpad geändert, während Sie es bearbeitet haben. Beim Sichern werden Sie gefragt, was geschehen soll.</translation>
    </message>
    <message id="Compare with Standard">
        <source>Compare with Standard</source>
        <translation>Mit Standard vergleichen</translation>
    </message>
    <message id="Show what this override changes in the standard snippet">
        <source>Show what this override changes in the standard snippet</source>
        <translation>Zeigt, was diese Überschreibung am Standard-Snippet ändert</translation>
    </message>
    <message id="Rebase">
        <source>Rebase</source>
        <translation>Neu aufsetzen</translation>
    </message>
    <message id="Make this override again on the current standard snippet, keeping your changes">
        <source>Make this override again on the current standard snippet, keeping your changes</source>
        <translation>Diese Überschreibung auf dem aktuellen Standard-Snippet neu anlegen und Ihre Änderungen behalten</translation>
    </message>
    <message id="The standard snippet changed since this override was made.">
        <source>The standard snippet changed since this override was made.</source>
        <translation>Das Standard-Snippet hat sich geändert, seit diese Überschreibung angelegt wurde.</translation>
    </message>
    <message id="The completion shortcut: what you type in Xcode to insert this snippet">
        <source>The completion shortcut: what you type in Xcode to insert this snippet</source>
        <translation>Das Kürzel: was Sie in Xcode tippen, um dieses Snippet einzufügen</translation>
    </message>
    <message id="Where the shortcut is offered">
        <source>Where the shortcut is offered</source>
        <translation>Wo das Kürzel angeboten wird</translation>
    </message>
</context>
<context>
    <name>MainContent</name>
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
    <message id="Show the snippets of one language">
        <source>Show the snippets of one language</source>
        <translation>Nur die Snippets einer Sprache zeigen</translation>
    </message>
    <message id="Language">
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
</context>
</TS>