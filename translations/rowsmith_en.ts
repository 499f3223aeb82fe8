<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="en_GB">
<context>
    <name>Localizable</name>
    <message>
        <source>1010Title</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
