<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="en_GB">
<context>
    <name>Localizable</name>
    <message>
        <source>0001Title</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>0002Title</source>
        <translation>General</translation>
    </message>
    <message>
        <source>0003Title</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>0004Title</source>
        <translation>Security</translation>
    </message>
    <message>
        <source>0010Title</source>
        <translation>(None)</translation>
    </message>
    <message>
        <source>0013Title</source>
        <translation>Column Titles</translation>
    </message>
    <message>
        <source>0014Title</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>0015Title</source>
        <translation>User References</translation>
    </message>
    <message>
        <source>0016Title</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>0020Title</source>
        <translation>Split</translation>
    </message>
    <message>
        <source>0021Title</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>0022Title</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>0023Title</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>0024Title</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>0025Title</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>0026Title</source>
        <translation>Fonts</translation>
    </message>
    <message>
        <source>0027Title</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>0101Title</source>
        <translation>Opening Document</translation>
    </message>
    <message>
        <source>0202Title</source>
        <translation>Saving Document</translation>
    </message>
    <message>
        <source>0240Title</source>
        <translation>Importing File</translation>
    </message>
    <message>
        <source>0242Title</source>
        <translation>Storing List</translation>
    </message>
    <message>
        <source>0243Title</source>
        <translation>Loading List</translation>
    </message>
    <message>
        <source>0244Title</source>
        <translation>Searching</translation>
    </message>
    <message>
        <source>0260Title</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>0261Title</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>0264Title</source>
        <translation>Changing Column Titles</translation>
    </message>
    <message>
        <source>0710Title</source>
        <translation>Changing Row Marks</translation>
    </message>
    <message>
        <source>0715Title</source>
        <translation>Exporting</translation>
    </message>
    <message>
        <source>1008Title</source>
        <translation>Don't Save</translation>
    </message>
    <message>
        <source>1009Title</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>1010Title</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>1011Title</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>1012Title</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>1013Title</source>
        <translation>Change Titles</translation>
    </message>
    <message>
        <source>1014Title</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>1020Title</source>
        <translation>Don't Replace</translation>
    </message>
    <message>
        <source>1021Title</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>1030Title</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>1031Title</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>1034Title</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>1608Title</source>
        <translation>Advanced Settings</translation>
    </message>
    <message>
        <source>1610Title</source>
        <translation>Account Options</translation>
    </message>
    <message>
        <source>1611Title</source>
        <translation>Library Code</translation>
    </message>
    <message>
        <source>2002Title</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>acquire a pass of the Style Sheet file</source>
        <translation>Choose a Style Sheet File</translation>
    </message>
    <message>
        <source>acquire a pass of the Java Script file</source>
        <translation>Choose a JavaScript File</translation>
    </message>
    <message>
        <source>acquire a pass of META text file</source>
        <translation>Choose a META Text File</translation>
    </message>
    <message>
        <source>acquire a pass of favicon image file</source>
        <translation>Choose a Favicon Image</translation>
    </message>
    <message>
        <source>acquire a pass of the image file</source>
        <translation>Choose an Image File</translation>
    </message>
    <message>
        <source>acquire a pass of the CSV file</source>
        <translation>Choose a CSV or List File</translation>
    </message>
    <message>
        <source>Choose a HTML file</source>
        <translation>Choose an HTML File</translation>
    </message>
    <message>
        <source>Choose a Folder</source>
        <translation>Choose a Folder</translation>
    </message>
    <message>
        <source>The choice of the project folder</source>
        <translation>Choose the Caches Folder</translation>
    </message>
</context>
<context>
    <name>AlertSheetModal</name>
    <message>
        <source>00101Uptake</source>
        <translation>Another document is still opening.</translation>
    </message>
    <message>
        <source>00101Canceled</source>
        <translation>Wait until it has opened, then open this one again.</translation>
    </message>
    <message>
        <source>00100Uptake</source>
        <translation>Welcome to Rowsmith</translation>
    </message>
    <message>
        <source>00100Canceled</source>
        <translation>No saved preferences were found, so the default preferences have been stored. The Preferences window opens next so that you can check them.</translation>
    </message>
    <message>
        <source>00201Uptake01</source>
        <translation>The document</translation>
    </message>
    <message>
        <source>00201Uptake02</source>
        <translation>has unsaved changes.</translation>
    </message>
    <message>
        <source>00201Canceled</source>
        <translation>Do you want to save the changes? If you don't save them, they will be lost.</translation>
    </message>
    <message>
        <source>00211Uptake</source>
        <translation>This document is already open.</translation>
    </message>
    <message>
        <source>00211Canceled01</source>
        <translation>The open copy of</translation>
    </message>
    <message>
        <source>00211Canceled02</source>
        <translation>has changes that have not been saved. Close it without saving and open the file again?</translation>
    </message>
    <message>
        <source>00219Uptake</source>
        <translation>No item is selected.</translation>
    </message>
    <message>
        <source>00219Canceled</source>
        <translation>The script asks for the selected item. Select an item in the item editor and run the script again.</translation>
    </message>
    <message>
        <source>00240Uptake</source>
        <translation>There are changes that have not been registered.</translation>
    </message>
    <message>
        <source>00240Canceled01</source>
        <translation>If you continue, the unregistered changes</translation>
    </message>
    <message>
        <source>00240Canceled02</source>
        <translation>will be lost.</translation>
    </message>
    <message>
        <source>00241Uptake</source>
        <translation>Remove this list?</translation>
    </message>
    <message>
        <source>00241Canceled</source>
        <translation>The stored list and its working files will be removed from the document. This cannot be undone.</translation>
    </message>
    <message>
        <source>00242Uptake</source>
        <translation>Use the values kept earlier?</translation>
    </message>
    <message>
        <source>00242Canceled01</source>
        <translation>Values that were kept earlier for the item</translation>
    </message>
    <message>
        <source>00242Canceled02</source>
        <translation>are available. Do you want to continue with them?</translation>
    </message>
    <message>
        <source>00243Uptake</source>
        <translation>Remove this field?</translation>
    </message>
    <message>
        <source>00243Canceled01</source>
        <translation>The field</translation>
    </message>
    <message>
        <source>00243Canceled02</source>
        <translation>will be removed from the item.</translation>
    </message>
    <message>
        <source>00260Uptake</source>
        <translation>Create a new item?</translation>
    </message>
    <message>
        <source>00260Canceled01</source>
        <translation>There is no item with the ID</translation>
    </message>
    <message>
        <source>00260Canceled02</source>
        <translation>yet. Do you want to create one?</translation>
    </message>
    <message>
        <source>00261Uptake</source>
        <translation>Change the column titles?</translation>
    </message>
    <message>
        <source>00261Canceled</source>
        <translation>The new column titles will be applied to every row of the list. For a long list this may take a while.</translation>
    </message>
    <message>
        <source>00262Uptake</source>
        <translation>Remove this item?</translation>
    </message>
    <message>
        <source>00262Canceled01</source>
        <translation>The item</translation>
    </message>
    <message>
        <source>00262Canceled02</source>
        <translation>will be removed from the list. This cannot be undone.</translation>
    </message>
    <message>
        <source>00263Uptake</source>
        <translation>Rename this column?</translation>
    </message>
    <message>
        <source>00263Canceled</source>
        <translation>The new title replaces the column title in every item when you register the item.</translation>
    </message>
    <message>
        <source>00264Uptake</source>
        <translation>Change the item ID?</translation>
    </message>
    <message>
        <source>00264Canceled</source>
        <translation>The ID identifies the item in the list. After the change, the edited values belong to the item with the new ID.</translation>
    </message>
    <message>
        <source>00710Uptake</source>
        <translation>Unmark all rows?</translation>
    </message>
    <message>
        <source>00710Canceled</source>
        <translation>The mark will be removed from every row of the list.</translation>
    </message>
    <message>
        <source>00711Uptake</source>
        <translation>Mark all rows?</translation>
    </message>
    <message>
        <source>00711Canceled</source>
        <translation>Every row of the list will be marked.</translation>
    </message>
    <message>
        <source>10003Uptake</source>
        <translation>The preferences have been saved.</translation>
    </message>
    <message>
        <source>10003Canceled</source>
        <translation>Some settings take effect only when Rowsmith starts again. Do you want to quit now?</translation>
    </message>
    <message>
        <source>10004Uptake</source>
        <translation>The preferences could not be saved.</translation>
    </message>
    <message>
        <source>10004Canceled</source>
        <translation>An error occurred while storing the preferences. The preferences stored before are still in effect.</translation>
    </message>
    <message>
        <source>10421Uptake</source>
        <translation>This title is already in use.</translation>
    </message>
    <message>
        <source>10421Canceled</source>
        <translation>A private password with this title already exists and has a different password. Choose another title.</translation>
    </message>
    <message>
        <source>10422Uptake</source>
        <translation>This private password already exists.</translation>
    </message>
    <message>
        <source>10422Canceled01</source>
        <translation>A private password titled</translation>
    </message>
    <message>
        <source>10422Canceled02</source>
        <translation>is already registered with the same password. Replace it?</translation>
    </message>
    <message>
        <source>10423Uptake</source>
        <translation>Remove this private password?</translation>
    </message>
    <message>
        <source>10423Canceled01</source>
        <translation>The private password titled</translation>
    </message>
    <message>
        <source>10423Canceled02</source>
        <translation>will be removed from the list.</translation>
    </message>
    <message>
        <source>10424Uptake</source>
        <translation>The password does not match.</translation>
    </message>
    <message>
        <source>10424Canceled01</source>
        <translation>The private password was not removed because the password entered does not match the stored one.</translation>
    </message>
    <message>
        <source>10425Uptake</source>
        <translation>No such private password.</translation>
    </message>
    <message>
        <source>10425Canceled01</source>
        <translation>There is no private password titled</translation>
    </message>
    <message>
        <source>10425Canceled02</source>
        <translation>in the list.</translation>
    </message>
    <message>
        <source>71505Uptake</source>
        <translation>The export failed.</translation>
    </message>
    <message>
        <source>71505Canceled</source>
        <translation>No file was written. Check that rows are marked and that the list has columns for the chosen file type.</translation>
    </message>
    <message>
        <source>202201Uptake</source>
        <translation>A list with this title already exists.</translation>
    </message>
    <message>
        <source>202201Canceled01</source>
        <translation>The list</translation>
    </message>
    <message>
        <source>202201Canceled02</source>
        <translation>has already been stored. Replace it with the current list?</translation>
    </message>
    <message>
        <source>263001Uptake</source>
        <translation>Discard the unsaved changes?</translation>
    </message>
    <message>
        <source>263001Canceled</source>
        <translation>The current source has changes that have not been stored. If you continue, they will be lost.</translation>
    </message>
    <message>
        <source>263002Uptake</source>
        <translation>This title is already in use.</translation>
    </message>
    <message>
        <source>263002Canceled01</source>
        <translation>An entry titled</translation>
    </message>
    <message>
        <source>263002Canceled02</source>
        <translation>already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>263003Uptake</source>
        <translation>The option could not be stored.</translation>
    </message>
    <message>
        <source>263003Canceled01</source>
        <translation>The option</translation>
    </message>
    <message>
        <source>263003Canceled02</source>
        <translation>was not stored. An option needs a title and at least one source.</translation>
    </message>
    <message>
        <source>263004Uptake</source>
        <translation>Remove this entry?</translation>
    </message>
    <message>
        <source>263004Canceled01</source>
        <translation>The entry</translation>
    </message>
    <message>
        <source>263004Canceled02</source>
        <translation>will be removed. This cannot be undone.</translation>
    </message>
    <message>
        <source>263005Uptake</source>
        <translation>The entry could not be removed.</translation>
    </message>
    <message>
        <source>263005Canceled01</source>
        <translation>The entry</translation>
    </message>
    <message>
        <source>263005Canceled02</source>
        <translation>was not found, so nothing was removed.</translation>
    </message>
    <message>
        <source>33001Uptake01</source>
        <translation>Enter the title of the private password.</translation>
    </message>
    <message>
        <source>33001Uptake02</source>
        <translation>The title is not correct. Enter it again.</translation>
    </message>
    <message>
        <source>33001Canceled01</source>
        <translation>is protected by a private password</translation>
    </message>
    <message>
        <source>33001Canceled02</source>
        <translation>.</translation>
    </message>
    <message>
        <source>33002Uptake01</source>
        <translation>Enter the password.</translation>
    </message>
    <message>
        <source>33002Uptake02</source>
        <translation>The password is not correct. Enter it again.</translation>
    </message>
    <message>
        <source>33002Canceled01</source>
        <translation>needs the password that belongs to</translation>
    </message>
    <message>
        <source>33002Canceled02</source>
        <translation>to be unlocked.</translation>
    </message>
    <message>
        <source>33003Uptake</source>
        <translation>Title and password accepted.</translation>
    </message>
    <message>
        <source>33003Canceled01</source>
        <translation>Press Apply to open</translation>
    </message>
    <message>
        <source>33003Canceled02</source>
        <translation>now.</translation>
    </message>
    <message>
        <source>08201Uptake</source>
        <translation>will be saved with a private password.</translation>
    </message>
    <message>
        <source>08201Canceled01</source>
        <translation>Enter the password title to confirm.</translation>
    </message>
    <message>
        <source>08202Uptake</source>
        <translation>The title is correct.</translation>
    </message>
    <message>
        <source>08202Canceled01</source>
        <translation>Now enter the password.</translation>
    </message>
    <message>
        <source>08203Uptake</source>
        <translation>The title is not correct.</translation>
    </message>
    <message>
        <source>08203Canceled01</source>
        <translation>Enter the password title again.</translation>
    </message>
    <message>
        <source>08204Uptake</source>
        <translation>The password is correct.</translation>
    </message>
    <message>
        <source>08204Canceled01</source>
        <translation> will be protected. Press Apply to save it.</translation>
    </message>
    <message>
        <source>08205Uptake</source>
        <translation>The password is not correct.</translation>
    </message>
    <message>
        <source>08205Canceled01</source>
        <translation>: enter the password again,</translation>
    </message>
    <message>
        <source>08205Canceled02</source>
        <translation> or save the document without protection.</translation>
    </message>
</context>
<context>
    <name>IndicatorStep</name>
    <message>
        <source>10101Uptake</source>
        <translation>Opening the document…</translation>
    </message>
    <message>
        <source>10102Uptake</source>
        <translation>Copying the document files…</translation>
    </message>
    <message>
        <source>10103Uptake</source>
        <translation>Reading the document…</translation>
    </message>
    <message>
        <source>10104Uptake</source>
        <translation>Restoring the document window…</translation>
    </message>
    <message>
        <source>10105Uptake</source>
        <translation>The document could not be opened.</translation>
    </message>
    <message>
        <source>20201Uptake</source>
        <translation>Preparing to save…</translation>
    </message>
    <message>
        <source>20202Uptake</source>
        <translation>Collecting the document data…</translation>
    </message>
    <message>
        <source>20203Uptake</source>
        <translation>Storing the lists…</translation>
    </message>
    <message>
        <source>20204Uptake</source>
        <translation>Writing the document…</translation>
    </message>
    <message>
        <source>20205Uptake</source>
        <translation>The document could not be saved.</translation>
    </message>
    <message>
        <source>24001Uptake</source>
        <translation>Preparing the import…</translation>
    </message>
    <message>
        <source>24002Uptake</source>
        <translation>Reading the file…</translation>
    </message>
    <message>
        <source>24003Uptake</source>
        <translation>Converting lines into rows…</translation>
    </message>
    <message>
        <source>24006Uptake</source>
        <translation>Making the list…</translation>
    </message>
    <message>
        <source>24007Uptake</source>
        <translation>Adding the column titles…</translation>
    </message>
    <message>
        <source>24008Uptake</source>
        <translation>Adding the rows…</translation>
    </message>
    <message>
        <source>24009Uptake</source>
        <translation>Taking over the imported list…</translation>
    </message>
    <message>
        <source>24010Uptake</source>
        <translation>Import finished.</translation>
    </message>
    <message>
        <source>24098Uptake</source>
        <translation>Some rows could not be imported.</translation>
    </message>
    <message>
        <source>24099Uptake</source>
        <translation>The import stopped before it was complete.</translation>
    </message>
    <message>
        <source>24401Uptake</source>
        <translation> – preparing the search…</translation>
    </message>
    <message>
        <source>24402Uptake</source>
        <translation> – search started…</translation>
    </message>
    <message>
        <source>24403Uptake</source>
        <translation> – searching…</translation>
    </message>
    <message>
        <source>24404Uptake01</source>
        <translation>Searching “</translation>
    </message>
    <message>
        <source>24404Uptake02</source>
        <translation>”…</translation>
    </message>
    <message>
        <source>24405Uptake</source>
        <translation> – search finished.</translation>
    </message>
    <message>
        <source>24406Uptake</source>
        <translation> – no matching items were found.</translation>
    </message>
    <message>
        <source>71000Uptake</source>
        <translation>Preparing to change the row marks…</translation>
    </message>
    <message>
        <source>71001Uptake</source>
        <translation>Marking rows: </translation>
    </message>
    <message>
        <source>71002Uptake</source>
        <translation>Unmarking rows: </translation>
    </message>
    <message>
        <source>71003Uptake</source>
        <translation>Row marks changed.</translation>
    </message>
    <message>
        <source>71500Uptake</source>
        <translation>Preparing the export…</translation>
    </message>
    <message>
        <source>71501Uptake01</source>
        <translation>Exporting the</translation>
    </message>
    <message>
        <source>71501Uptake02</source>
        <translation>file…</translation>
    </message>
    <message>
        <source>71502Uptake</source>
        <translation>file: writing the rows…</translation>
    </message>
    <message>
        <source>71503Uptake</source>
        <translation>file: saving…</translation>
    </message>
    <message>
        <source>71505Uptake</source>
        <translation>The export failed.</translation>
    </message>
    <message>
        <source>93201Uptake</source>
        <translation>Opening the list file…</translation>
    </message>
    <message>
        <source>93202Uptake</source>
        <translation>Reading the list file…</translation>
    </message>
    <message>
        <source>93203Uptake</source>
        <translation>Unpacking the list…</translation>
    </message>
    <message>
        <source>93204Uptake</source>
        <translation>List loaded.</translation>
    </message>
    <message>
        <source>93301Uptake</source>
        <translation>Preparing to save the document…</translation>
    </message>
    <message>
        <source>93302Uptake</source>
        <translation>Encoding the document…</translation>
    </message>
    <message>
        <source>93303Uptake</source>
        <translation>Writing the document package…</translation>
    </message>
    <message>
        <source>93304Uptake</source>
        <translation>Document saved.</translation>
    </message>
    <message>
        <source>93305Uptake</source>
        <translation>The document could not be saved.</translation>
    </message>
    <message>
        <source>93401Uptake</source>
        <translation>Preparing to store the list…</translation>
    </message>
    <message>
        <source>93402Uptake</source>
        <translation>Encoding the list…</translation>
    </message>
    <message>
        <source>93403Uptake</source>
        <translation>Writing the list file…</translation>
    </message>
    <message>
        <source>93404Uptake</source>
        <translation>List stored.</translation>
    </message>
    <message>
        <source>93405Uptake</source>
        <translation>The list could not be stored.</translation>
    </message>
    <message>
        <source>93601Uptake</source>
        <translation>Preparing to change the column titles…</translation>
    </message>
    <message>
        <source>93602Uptake</source>
        <translation>Checking the column titles…</translation>
    </message>
    <message>
        <source>93603Uptake</source>
        <translation>Changing the column titles…</translation>
    </message>
    <message>
        <source>93604Uptake</source>
        <translation>Column titles changed.</translation>
    </message>
    <message>
        <source>93605Uptake</source>
        <translation>The column titles could not be changed.</translation>
    </message>
</context>
<context>
    <name>CreatorInformation</name>
    <message>
        <source>001Creator</source>
        <translation>Creator</translation>
    </message>
    <message>
        <source>002Creator</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>003Creator</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>004Creator</source>
        <translation>OS version</translation>
    </message>
    <message>
        <source>005Creator</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>006Creator</source>
        <translation>Updated</translation>
    </message>
    <message>
        <source>007Creator</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>008Creator</source>
        <translation>An unnamed user </translation>
    </message>
    <message>
        <source>011Creator</source>
        <translation>created this.</translation>
    </message>
    <message>
        <source>012Creator</source>
        <translation>revised this.</translation>
    </message>
    <message>
        <source>013Creator</source>
        <translation>imported</translation>
    </message>
    <message>
        <source>014Creator</source>
        <translation>exported</translation>
    </message>
    <message>
        <source>015Creator</source>
        <translation>updated the saved searches: </translation>
    </message>
    <message>
        <source>016Creator</source>
        <translation> added</translation>
    </message>
    <message>
        <source>017Creator</source>
        <translation> removed</translation>
    </message>
</context>
</TS>
