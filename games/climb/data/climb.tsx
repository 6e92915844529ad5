<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="climb" tilewidth="24" tileheight="24" tilecount="40" columns="8">
 <image source="tiles.png" trans="ffffff" width="192" height="120"/>
 <tile id="0">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="1">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="2">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="3">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="4">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="5">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="7">
  <properties>
   <property name="solid" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="8">
  <properties>
   <property name="oneway" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="9">
  <properties>
   <property name="oneway" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="10">
  <properties>
   <property name="oneway" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="11">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
  <animation>
   <frame tileid="11" duration="180"/>
   <frame tileid="12" duration="180"/>
   <frame tileid="13" duration="180"/>
   <frame tileid="14" duration="180"/>
  </animation>
 </tile>
 <tile id="12">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="13">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="14">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="15">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
  <animation>
   <frame tileid="15" duration="180"/>
   <frame tileid="16" duration="180"/>
   <frame tileid="17" duration="180"/>
   <frame tileid="18" duration="180"/>
  </animation>
 </tile>
 <tile id="16">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="17">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="18">
  <properties>
   <property name="hazard" type="bool" value="true"/>
  </properties>
 </tile>
 <tile id="19">
  <animation>
   <frame tileid="19" duration="100"/>
   <frame tileid="20" duration="100"/>
   <frame tileid="21" duration="100"/>
   <frame tileid="22" duration="100"/>
   <frame tileid="21" duration="100"/>
   <frame tileid="20" duration="100"/>
  </animation>
 </tile>
 <tile id="24">
  <animation>
   <frame tileid="24" duration="200"/>
   <frame tileid="25" duration="200"/>
   <frame tileid="26" duration="200"/>
  </animation>
 </tile>
 <tile id="27">
  <animation>
   <frame tileid="27" duration="150"/>
   <frame tileid="28" duration="150"/>
   <frame tileid="29" duration="150"/>
  </animation>
 </tile>
 <tile id="30">
  <animation>
   <frame tileid="30" duration="150"/>
   <frame tileid="31" duration="150"/>
   <frame tileid="32" duration="150"/>
  </animation>
 </tile>
</tileset>
