<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>TColorCombo</name>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
</context>
<context>
    <name>TCursorPlayer</name>
    <message>
        <source>%1 · 热点 %2,%3</source>
        <translation>%1 · hotspot %2,%3</translation>
    </message>
    <message>
        <source>第 %1/%2 步 · 帧 %3 · %4 毫秒</source>
        <translation>step %1/%2 · frame %3 · %4 ms</translation>
    </message>
</context>
<context>
    <name>TFileListModel</name>
    <message>
        <source>文件名称</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>图标数量</source>
        <translation>Icons</translation>
    </message>
    <message>
        <source>修改时间</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>大小 [KB]</source>
        <translation>Size [KB]</translation>
    </message>
    <message>
        <source>文件位置</source>
        <translation>Location</translation>
    </message>
</context>
<context>
    <name>TIconBox</name>
    <message>
        <source>单击右键-&gt;菜单</source>
        <translation>Right-click for the menu</translation>
    </message>
</context>
<context>
    <name>TLongWork</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 / %2</source>
        <translation>%1 / %2</translation>
    </message>
</context>
<context>
    <name>Tdlg_pictavo_Color</name>
    <message>
        <source>选择背景颜色</source>
        <translation>Select background colour</translation>
    </message>
    <message>
        <source>背景颜色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>光标颜色: %1</source>
        <translation>Colour under the cursor: %1</translation>
    </message>
</context>
<context>
    <name>Twnd_pictavo_Main</name>
    <message>
        <source>正在等待另一个程序写完 %1…</source>
        <translation>waiting for another program writing %1…</translation>
    </message>
    <message>
        <source>从图标库中删除</source>
        <translation>Delete from icon library</translation>
    </message>
    <message>
        <source>选择目标</source>
        <translation>Select the target folder</translation>
    </message>
    <message>
        <source>保存为图标</source>
        <translation>Save as icon</translation>
    </message>
    <message>
        <source>保存为位图</source>
        <translation>Save as bitmap</translation>
    </message>
    <message>
        <source>图标 %1</source>
        <translation>Icon %1</translation>
    </message>
    <message>
        <source>保存到图标库</source>
        <translation>Save to icon library</translation>
    </message>
    <message>
        <source>是否从图标库中删除这个图标？<byte value="xd"/>
%1</source>
        <translation>Delete this icon from the icon library?<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>汉化版: %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>显示选项</source>
        <translation>Display options</translation>
    </message>
    <message>
        <source>清除先前选择项</source>
        <translation>Clear previous selection</translation>
    </message>
    <message>
        <source>仅显示 32bit (位)图标(较慢)</source>
        <translation>Show only 32-bit icons (slower)</translation>
    </message>
    <message>
        <source>图标背景颜色:</source>
        <translation>Icon background colour:</translation>
    </message>
    <message>
        <source>图标大小:</source>
        <translation>Icon size:</translation>
    </message>
    <message>
        <source>%1 x %1 像素</source>
        <translation>%1 x %1 pixels</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>文件类型:</source>
        <translation>File types:</translation>
    </message>
    <message>
        <source>清除先前的搜索结果</source>
        <translation>Clear previous results</translation>
    </message>
    <message>
        <source>包括子文件夹</source>
        <translation>Include subfolders</translation>
    </message>
    <message>
        <source>忽略重复文件</source>
        <translation>Ignore duplicate files</translation>
    </message>
    <message>
        <source>查看所有找到的图标</source>
        <translation>View all found icons</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>添加到查看</source>
        <translation>Add to view</translation>
    </message>
    <message>
        <source>选择的</source>
        <translation>Selected</translation>
    </message>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>由视图中移除</source>
        <translation>Remove from view</translation>
    </message>
    <message>
        <source>保存为图标...</source>
        <translation>Save as icon...</translation>
    </message>
    <message>
        <source>保存为位图...</source>
        <translation>Save as bitmap...</translation>
    </message>
    <message>
        <source>从图标库中删除...</source>
        <translation>Delete from icon library...</translation>
    </message>
    <message>
        <source>把此图标放入程序…</source>
        <translation>Put this icon into a program…</translation>
    </message>
    <message>
        <source>选择要放入图标的程序</source>
        <translation>Choose the program for the icon</translation>
    </message>
    <message>
        <source>Windows 程序 (*.exe *.dll);;所有文件 (*)</source>
        <translation>Windows programs (*.exe *.dll);;All files (*)</translation>
    </message>
    <message>
        <source>是否用这个图标替换 %1 的图标？<byte value="xd"/>
原来的程序将保存为 %2。</source>
        <translation>Replace the icon of %1 with this icon?<byte value="xd"/>
The previous program will be kept as %2.</translation>
    </message>
    <message>
        <source>该程序带有数字签名，修改后签名将失效。<byte value="xd"/>
是否去掉签名并放入图标？</source>
        <translation>The program is signed; changing it voids the signature.<byte value="xd"/>
Remove the signature and put the icon in?</translation>
    </message>
    <message>
        <source>图标已放入 %1，原来的程序保存为 %2</source>
        <translation>The icon is in %1; the previous program is kept as %2</translation>
    </message>
    <message>
        <source>文件: %1    图标: %2    </source>
        <translation>Files: %1    Icons: %2    </translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>结果...</source>
        <translation>Results...</translation>
    </message>
    <message>
        <source>即将添加许多图标到视窗;这将耗费一些时间,你确定吗?</source>
        <translation>Many icons are about to be added to the view; this will take some time. Are you sure?</translation>
    </message>
    <message>
        <source>搜索时间: %1</source>
        <translation>Search time: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n 个图标已保存到 %1</source>
        <translation>
            <numerusform>%n icon saved to %1</numerusform>
            <numerusform>%n icons saved to %1</numerusform>
        </translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 - %n 图标</source>
        <translation>
            <numerusform>%1 - %n icon</numerusform>
            <numerusform>%1 - %n icons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 - %n 图像</source>
        <translation>
            <numerusform>%1 - %n image</numerusform>
            <numerusform>%1 - %n images</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 文件 - %n 图标</source>
        <translation>
            <numerusform>%1 files - %n icon</numerusform>
            <numerusform>%1 files - %n icons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 图标</source>
        <translation>
            <numerusform>%n icon</numerusform>
            <numerusform>%n icons</numerusform>
        </translation>
    </message>
    <message>
        <source>保存为 PNG</source>
        <translation>Save as PNG</translation>
    </message>
    <message>
        <source>保存为 PNG...</source>
        <translation>Save as PNG...</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开文件(&amp;O)...</source>
        <translation>&amp;Open file...</translation>
    </message>
    <message>
        <source>打开文件夹...</source>
        <translation>Open &amp;folder...</translation>
    </message>
    <message>
        <source>最近打开</source>
        <translation>Open &amp;recent</translation>
    </message>
    <message>
        <source>从文件列表保存到图标库</source>
        <translation>Save list to icon library</translation>
    </message>
    <message>
        <source>从视图保存到图标库</source>
        <translation>Save view to icon library</translation>
    </message>
    <message>
        <source>退出(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>复制(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>选择所有图标(&amp;A)</source>
        <translation>Select &amp;all icons</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于 Pictavo(&amp;A)</source>
        <translation>&amp;About Pictavo</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>关于 Pictavo</source>
        <translation>About Pictavo</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>图标与程序文件</source>
        <translation>Icons and programs</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>%1: 文件或文件夹不存在</source>
        <translation>%1: no such file or folder</translation>
    </message>
    <message>
        <source>%1: 文件中没有图标</source>
        <translation>%1: the file holds no icons</translation>
    </message>
    <message>
        <source>(无)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>清除列表</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>全部添加到查看</source>
        <translation>Add all to view</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>图标大小</source>
        <translation>Icon size</translation>
    </message>
    <message>
        <source>保存图标到文件夹</source>
        <translation>Save icons to folder</translation>
    </message>
    <message>
        <source>将图像保存为图标...</source>
        <translation>Save image as icon...</translation>
    </message>
    <message>
        <source>将图像保存为位图...</source>
        <translation>Save image as bitmap...</translation>
    </message>
    <message>
        <source>将图像保存为 PNG...</source>
        <translation>Save image as PNG...</translation>
    </message>
    <message>
        <source>保存到图标主题…</source>
        <translation>Save to icon theme…</translation>
    </message>
    <message>
        <source>保存到图标主题</source>
        <translation>Save to icon theme</translation>
    </message>
    <message>
        <source>图标名称（桌面文件中的 Icon=）：</source>
        <translation>Icon name (Icon= in the desktop entry):</translation>
    </message>
    <message>
        <source>图标名称只能由字母、数字、“.”、“_”和“-”组成。</source>
        <translation>An icon name may hold only letters, digits, “.”, “_” and “-”.</translation>
    </message>
    <message>
        <source>图标主题中已有图标“%1”。要替换它吗？</source>
        <translation>The icon theme already holds an icon “%1”. Replace it?</translation>
    </message>
    <message>
        <source>图标“%1”已保存到 %2（%3 种尺寸）</source>
        <translation>Icon “%1” saved to %2 (%3 sizes)</translation>
    </message>
    <message>
        <source>保存为 Linux 光标主题…</source>
        <translation>Save cursors as a Linux cursor theme…</translation>
    </message>
    <message>
        <source>光标包 %1：用“文件 → 保存为 Linux 光标主题…”转换为 Linux 光标主题。</source>
        <translation>Cursor pack %1: “File → Save cursors as a Linux cursor theme…” converts it into a Linux cursor theme.</translation>
    </message>
    <message>
        <source>保存为 Linux 光标主题</source>
        <translation>Save cursors as a Linux cursor theme</translation>
    </message>
    <message>
        <source>未能保存光标主题。</source>
        <translation>The cursor theme was not saved.</translation>
    </message>
    <message>
        <source>未能把图标放入程序。</source>
        <translation>The icon was not put into the program.</translation>
    </message>
    <message>
        <source>光标主题名称（桌面设置中显示的名称）：</source>
        <translation>Cursor theme name (as the desktop settings list it):</translation>
    </message>
    <message>
        <source>主题名称不能为空，也不能含有“/”。</source>
        <translation>A theme name cannot be empty or contain “/”.</translation>
    </message>
    <message>
        <source>%1 已存在，但不是光标主题。请换一个名称。</source>
        <translation>%1 exists and is not a cursor theme. Please choose another name.</translation>
    </message>
    <message>
        <source>已有光标主题“%1”。要替换它吗？</source>
        <translation>There is a cursor theme “%1” already. Replace it?</translation>
    </message>
    <message>
        <source>已取消：光标主题未写入。</source>
        <translation>Cancelled: no cursor theme was written.</translation>
    </message>
    <message numerus="yes">
        <source>光标主题“%1”已保存到 %2（%n 个光标），可在桌面设置中选用。</source>
        <translation>
            <numerusform>Cursor theme “%1” saved to %2 (%n cursor); choose it in your desktop’s settings.</numerusform>
            <numerusform>Cursor theme “%1” saved to %2 (%n cursors); choose it in your desktop’s settings.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>光标主题“%1”已保存到 %2（%n 个光标）；未用的文件（无对应光标角色，或其角色已有文件）：%3</source>
        <translation>
            <numerusform>Cursor theme “%1” saved to %2 (%n cursor); files left out (no cursor role, or their role was taken): %3</numerusform>
            <numerusform>Cursor theme “%1” saved to %2 (%n cursors); files left out (no cursor role, or their role was taken): %3</numerusform>
        </translation>
    </message>
    <message>
        <source>Windows 光标包</source>
        <translation>Windows cursor packs</translation>
    </message>
</context>
</TS>
